#include "bridge/host/host.h"

#include "automation/bus_values.h"
#include "bridge/host/entry_run.h"
#include "bridge/host/entry_script.h"
#include "bridge/host/recent_texts.h"
#include "recovery/recovery_store.h"
#include "service/encodings.h"
#include "bridge/host/value_parts.h"
#include "platform/charset.h"
#include "platform/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quillbrook::bridge {
namespace {

// The settings key the server writes at its first start: missing, it tells an account that has
// never used Quillbrook.
constexpr char kSettingsPath[] = "Software\\Fernhollow\\Quillbrook";

// No entry script is anywhere near this long; a bigger file is not one of Quillbrook's.
constexpr std::size_t kMaxScriptSize = 1024 * 1024;

// A browser writes even a text of several megabytes into its page within a few seconds; a write
// not answered by then is taken as lost, and its text is kept by whoever wrote it. Below the bus's
// own 25 s limit on the caller's wait.
constexpr int kWriteAnswerBound = 15000;
// The value did not reach its element: it left its document, or is no text box any more.
constexpr HRESULT E_ELEMENT_NOT_FOUND = static_cast<HRESULT>(0x80070490u);
// No answer from the browser within kWriteAnswerBound.
constexpr HRESULT E_WRITE_TIMEOUT = static_cast<HRESULT>(0x800705B4u);

void report(const QString& text)
{
    std::fprintf(stderr, "quillbrook-bridge: %s\n", text.toLocal8Bit().constData());
}

// A string member; nullopt when it is missing or no string. A string is never the null QString,
// which stands for JSON null.
std::optional<QString> stringMember(const QJsonObject& object, const char* name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString())
        return std::nullopt;
    QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

// A string or null member; nullopt when it is neither.
std::optional<QString> nullableStringMember(const QJsonObject& object, const char* name)
{
    if (object.value(QLatin1String(name)).isNull())
        return QString();
    return stringMember(object, name);
}

std::optional<ElementKind> elementKind(const QString& kind)
{
    if (kind == u"textarea")
        return ElementKind::TextArea;
    if (kind == u"text")
        return ElementKind::TextInput;
    if (kind == u"other")
        return ElementKind::Other;
    return std::nullopt;
}

std::optional<ElementSnapshot> elementFrom(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    const auto id = stringMember(object, "id");
    const auto kind = stringMember(object, "kind");
    const auto text = stringMember(object, "value");
    const auto name = nullableStringMember(object, "name");
    if (!value.isObject() || !id || !kind || !elementKind(*kind) || !text || !name)
        return std::nullopt;
    ElementSnapshot element{*id, *elementKind(*kind), *text, *name, false, QString()};
    const QJsonValue form = object.value(QLatin1String("form"));
    if (form.isObject()) {
        const auto formName = nullableStringMember(form.toObject(), "name");
        if (!formName)
            return std::nullopt;
        element.inForm = true;
        element.formName = *formName;
    } else if (!form.isNull() && !form.isUndefined()) {
        return std::nullopt;
    }
    return element;
}

std::optional<DocumentSnapshot> documentFrom(const QJsonValue& value)
{
    const auto title = stringMember(value.toObject(), "title");
    const auto url = stringMember(value.toObject(), "url");
    if (!value.isObject() || !title || !url)
        return std::nullopt;
    return DocumentSnapshot{*title, *url};
}

// The script of the entry named `entry`, as the extension names it.
[[nodiscard]] HRESULT readEntryScript(const RegistryKey& currentUser, const QString& entry, std::string& script)
{
    const auto path = entryScriptPath(currentUser, entry);
    if (!path.ok())
        return HRESULT_FROM_WIN32(path.error());
    const FileDescriptor file(::open(path.value().c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return hresultFromErrno(errno, path.value());
    if (const Win32Error error = readUpTo(file.get(), kMaxScriptSize, script, path.value()); error != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(error);
    return S_OK;
}

} // namespace

Host::Host(FileDescriptor input, FileDescriptor output, QDBusConnection connection, std::function<void(int)> ended)
    : input_(std::move(input)), output_(std::move(output)), connection_(std::move(connection)), ended_(std::move(ended))
{
    bus::registerBusTypes();
    const HiveLocation hive = HiveLocation::forCurrentUser();
    // Held open for the host's life: the hive's log then stays in place between reads, and reading
    // does not itself change the files being watched.
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_READ, hive);
    if (root.ok())
        currentUser_ = std::move(root).value();
    else
        report(QStringLiteral("cannot open the hive %1 (error %2); the menu stays empty")
                   .arg(QString::fromStdString(hive.file.string()))
                   .arg(root.error()));
    hiveWatcher_ = std::make_unique<HiveWatcher>(hive.file, [this] { sendMenuIfChanged(false); });
    if (!hiveWatcher_->error().isEmpty())
        report(hiveWatcher_->error() + QStringLiteral("; menu changes will not be seen"));

    watchRecentTexts();
    // Pages are let go from the event loop, never from within a call on one of their objects.
    releaseGonePages_ = std::make_unique<QTimer>();
    releaseGonePages_->setSingleShot(true);
    releaseGonePages_->setInterval(0);
    QObject::connect(releaseGonePages_.get(), &QTimer::timeout, [this] { releaseGonePages(); });
    inputNotifier_ = std::make_unique<QSocketNotifier>(input_.get(), QSocketNotifier::Read);
    QObject::connect(inputNotifier_.get(), &QSocketNotifier::activated, [this] { readInput(); });
}

Host::~Host() = default;

void Host::readInput()
{
    char buffer[64 * 1024];
    const ssize_t size = ::read(input_.get(), buffer, sizeof buffer);
    if (size < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (size <= 0) {
        if (size < 0)
            report(QStringLiteral("reading from the browser failed: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
        else if (reader_.pending() > 0)
            report(QStringLiteral("the browser's last message was cut short"));
        end(0);
        return;
    }
    reader_.append(buffer, static_cast<std::size_t>(size));
    while (!ending_) {
        const auto json = reader_.next();
        if (!json)
            break;
        QString error;
        const auto message = parseMessage(*json, error);
        if (message)
            handle(*message);
        else
            report(QStringLiteral("ignoring a message from the browser: %1").arg(error));
    }
    if (!reader_.error().isEmpty() && !ending_) {
        report(QStringLiteral("refusing the browser's input: %1").arg(reader_.error()));
        end(kExitInputBroken);
    }
}

void Host::handle(const QJsonObject& message)
{
    const QString type = message.value(QLatin1String("type")).toString();
    if (type == u"hello") {
        greeted_ = true;
        sendMenuIfChanged(true);
        sendRecentIfChanged(true);
        addFirstCommandOnFirstUse();
    } else if (type == u"configure") {
        configure(message);
    } else if (type == u"run") {
        run(message);
    } else if (type == u"restore") {
        restore(message);
    } else if (type == u"unload") {
        unloadPage(message);
    } else if (type == u"valueSet") {
        valueSet(message);
    } else {
        report(QStringLiteral("ignoring a message of unknown type \"%1\"").arg(type));
    }
}

void Host::run(const QJsonObject& message)
{
    const QJsonValue command = message.value(QLatin1String("command"));
    if (!command.isDouble()) {
        report(QStringLiteral("ignoring a run message without a command number"));
        return;
    }
    const auto entry = stringMember(message, "entry");
    const auto page = stringMember(message, "page");
    const auto element = elementFrom(message.value(QLatin1String("element")));
    const auto document = documentFrom(message.value(QLatin1String("document")));
    if (!entry || !page || !element || !document) {
        report(QStringLiteral("run message with missing or malformed members (entry, page, element, document)"));
        sendResult(command, E_INVALIDARG);
        return;
    }

    std::string scriptText;
    if (const HRESULT result = readEntryScript(currentUser_, *entry, scriptText); FAILED(result)) {
        report(QStringLiteral("cannot read the script of \"%1\": %2").arg(*entry, bus::hresultText(result)));
        sendResult(command, result);
        return;
    }
    const EntryScript script = recogniseEntryScript(scriptText);
    if (script.kind == EntryScript::Kind::Unknown) {
        sendResult(command, E_NOTIMPL);
        return;
    }

    ServedPage& served = pageFor(*page);
    const bus::ObjectReference reference = served.server->referenceOf(served.page->element(*document, *element));
    runEntry(calls_, connection_, script, reference, [this, command](HRESULT result) { sendResult(command, result); });
}

void Host::restore(const QJsonObject& message)
{
    const QJsonValue command = message.value(QLatin1String("command"));
    if (!command.isDouble()) {
        report(QStringLiteral("ignoring a restore message without a command number"));
        return;
    }
    const auto id = stringMember(message, "id");
    const auto page = stringMember(message, "page");
    const auto element = elementFrom(message.value(QLatin1String("element")));
    const auto document = documentFrom(message.value(QLatin1String("document")));
    if (!id || !page || !element || !document) {
        report(QStringLiteral("restore message with missing or malformed members (id, page, element, document)"));
        sendResult(command, E_INVALIDARG);
        return;
    }
    if (element->kind == ElementKind::Other) {
        sendResult(command, E_NOINTERFACE);
        return;
    }
    const RecoveryStore store = RecoveryStore::forCurrentUser();
    const auto text = store.find(id->toStdString());
    const auto bytes = text.ok() ? store.bytesOf(text.value()) : Win32Result<std::string>(text.error());
    if (!bytes.ok()) {
        sendResult(command, HRESULT_FROM_WIN32(bytes.error()));
        return;
    }
    ServedPage& served = pageFor(*page);
    served.page->element(*document, *element);
    writeValue(*page, element->id, bytesToText(bytes.value(), text.value().origin.codePage),
               [this, command](HRESULT result) { sendResult(command, result); });
}

void Host::watchRecentTexts()
{
    const RecoveryStore store = RecoveryStore::forCurrentUser();
    if (store.prepare() != ERROR_SUCCESS)
        return;
    recentChanged_ = std::make_unique<QTimer>();
    recentChanged_->setSingleShot(true);
    // A text is two files: the list is read once both have come.
    recentChanged_->setInterval(100);
    QObject::connect(recentChanged_.get(), &QTimer::timeout, [this] { sendRecentIfChanged(false); });
    recentWatcher_ = std::make_unique<QFileSystemWatcher>(QStringList{QString::fromStdString(store.folder())});
    QObject::connect(recentWatcher_.get(), &QFileSystemWatcher::directoryChanged, [this] { recentChanged_->start(); });
}

void Host::sendRecentIfChanged(bool always)
{
    if (!greeted_ || ending_)
        return;
    const QJsonArray texts = recentTextsList(RecoveryStore::forCurrentUser());
    if (!always && texts == sentRecent_)
        return;
    sentRecent_ = texts;
    send({{QStringLiteral("type"), QStringLiteral("recent")}, {QStringLiteral("texts"), texts}});
}

void Host::addFirstCommandOnFirstUse()
{
    if (firstUseChecked_ || !currentUser_.isOpen())
        return;
    firstUseChecked_ = true;
    if (!sentMenu_.empty() || currentUser_.openSubKey(kSettingsPath, KEY_QUERY_VALUE).ok())
        return;
    // What Add and OK in the menu items dialog would save: a command with the default settings,
    // whose editor runs the user's own. The hive's change then sends the menu.
    callOnNewService(calls_, connection_, QStringLiteral("SaveToMenuExt"), {}, [](HRESULT result) {
        if (FAILED(result))
            report(QStringLiteral("cannot add the first command: %1").arg(bus::hresultText(result)));
    });
}

void Host::configure(const QJsonObject& message)
{
    const QJsonValue command = message.value(QLatin1String("command"));
    // The menu items dialog, as Brackenhop opens it: owned by no window, open as long as the user likes.
    callOnNewService(calls_, connection_, QStringLiteral("ShowMenuDialog"), {QVariant::fromValue(std::int32_t{0})},
                     [this, command](HRESULT result) { sendResult(command, result); });
}

void Host::unloadPage(const QJsonObject& message)
{
    const auto page = stringMember(message, "page");
    if (!page) {
        report(QStringLiteral("ignoring an unload message without a page"));
        return;
    }
    if (const auto found = pages_.find(*page); found != pages_.end()) {
        found->second.page->unload();
        releaseGonePages_->start();
    }
}

void Host::releaseGonePages()
{
    // A page that went, and whose objects nobody holds (the server released them, or left the bus),
    // is let go with its last text.
    const auto unheldAndGone = [](const ServedPage& served) {
        return served.page->isGone() && !served.server->isHeld();
    };
    std::erase_if(pages_, [&](const auto& entry) { return unheldAndGone(entry.second); });
    std::erase_if(retiredPages_, unheldAndGone);
}

Host::ServedPage& Host::pageFor(const QString& id)
{
    auto found = pages_.find(id);
    if (found != pages_.end() && found->second.page->isGone()) {
        retiredPages_.push_back(std::move(found->second));
        pages_.erase(found);
        found = pages_.end();
        releaseGonePages_->start();
    }
    if (found == pages_.end()) {
        const QString root = QStringLiteral("/org/fernhollow/QuillbrookBridge/pages/%1").arg(++servedPageCount_);
        ServedPage served{
            std::make_shared<BridgePage>(id, [this](const QString& p, const QString& e, const QString& v,
                                                    WriteDone done) { writeValue(p, e, v, std::move(done)); }),
            std::make_unique<PageServer>(connection_, root, deliveries_)};
        if (!served.server->error().isEmpty())
            report(served.server->error());
        served.server->onReleased([this] { releaseGonePages_->start(); });
        found = pages_.emplace(id, std::move(served)).first;
    }
    return found->second;
}

void Host::sendMenuIfChanged(bool always)
{
    if (!greeted_ || ending_)
        return;
    std::vector<MenuEntry> menu = currentUser_.isOpen() ? readMenu(currentUser_) : std::vector<MenuEntry>();
    if (!always && menu == sentMenu_)
        return;
    sentMenu_ = std::move(menu);
    send(menuMessage(sentMenu_));
}

void Host::sendResult(const QJsonValue& command, HRESULT result)
{
    send({{QStringLiteral("type"), QStringLiteral("result")},
          {QStringLiteral("command"), command},
          {QStringLiteral("hresult"), static_cast<qint64>(static_cast<qint32>(result))}});
}

void Host::writeValue(const QString& page, const QString& element, const QString& value, WriteDone done)
{
    const qint64 request = nextRequest_++;
    for (const QByteArray& json : setValueMessages({request, page, element}, value))
        sendJson(json);
    if (!done)
        return;
    if (outputBroken_ || ending_) {
        done(E_PAGE_NOT_READY);
        return;
    }
    pendingWrites_.emplace(request, std::move(done));
    QTimer::singleShot(kWriteAnswerBound, inputNotifier_.get(),
                       [this, request] { answerWrite(request, E_WRITE_TIMEOUT); });
}

void Host::valueSet(const QJsonObject& message)
{
    const QJsonValue request = message.value(QLatin1String("request"));
    if (!request.isDouble()) {
        report(QStringLiteral("ignoring a valueSet message without a request number"));
        return;
    }
    const bool written = message.value(QLatin1String("written")).toBool(false);
    answerWrite(static_cast<qint64>(request.toDouble()), written ? S_OK : E_ELEMENT_NOT_FOUND);
}

void Host::answerWrite(qint64 request, HRESULT result)
{
    const auto found = pendingWrites_.find(request);
    if (found == pendingWrites_.end())
        return;
    const WriteDone done = std::move(found->second);
    pendingWrites_.erase(found);
    done(result);
}

void Host::send(const QJsonObject& message)
{
    sendJson(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void Host::sendJson(const QByteArray& json)
{
    if (outputBroken_)
        return;
    const QByteArray framed = frame(json);
    const Win32Error error =
        writeAll(output_.get(), std::string_view(framed.constData(), static_cast<std::size_t>(framed.size())),
                 "standard output");
    if (error != ERROR_SUCCESS) {
        outputBroken_ = true;
        report(QStringLiteral("the browser no longer reads the host's messages (error %1)").arg(error));
    }
}

void Host::stop()
{
    end(0);
}

void Host::end(int status)
{
    if (ending_)
        return;
    ending_ = true;
    inputNotifier_->setEnabled(false);
    // Writes the browser will not answer now: their writers keep the texts.
    while (!pendingWrites_.empty())
        answerWrite(pendingWrites_.begin()->first, E_PAGE_NOT_READY);
    for (auto& [id, served] : pages_)
        served.page->unload();
    deliveries_->whenAllDone([this, status] { ended_(status); });
}

} // namespace quillbrook::bridge
