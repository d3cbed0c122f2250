#include "recovery/recovery_store.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/json_text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook {
namespace {

constexpr char kTextSuffix[] = ".txt";
constexpr char kFactsSuffix[] = ".json";
// Facts bigger than this are no store's: titles and addresses are short.
constexpr std::size_t kMaxFactsSize = 256 * 1024;

// Sortable by time and unique between processes and threads: UTC time, process, counter.
std::string newId(std::time_t now)
{
    static std::atomic<unsigned> counter{0};
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    char id[64];
    std::snprintf(id, sizeof id, "%s-%d-%06u", stamp, static_cast<int>(::getpid()), ++counter);
    return id;
}

// A new private file holding `data`; never through a link, never over an existing file.
[[nodiscard]] Win32Error writeNewFile(const std::string& path, std::string_view data)
{
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid())
        return win32ErrorFromErrno(errno);
    if (const Win32Error error = writeAll(file.get(), data, path))
        return error;
    return ::fsync(file.get()) == 0 ? ERROR_SUCCESS : win32ErrorFromErrno(errno);
}

bool endsWith(const std::string& text, std::string_view suffix)
{
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<RecoveredText> readEntry(const std::string& folder, const std::string& id)
{
    const auto facts = readRegularFile(joinPath(folder, id + kFactsSuffix), kMaxFactsSize);
    if (!facts.ok())
        return std::nullopt;
    const QJsonObject object = parseJson(QByteArray::fromStdString(facts.value())).object();
    const auto origin = originFromJson(object);
    const auto reason = reasonFromName(object.value(QLatin1String("reason")).toString());
    const QJsonValue time = object.value(QLatin1String("time"));
    if (!origin || !reason || !time.isDouble())
        return std::nullopt;
    return RecoveredText{
        id,      static_cast<std::int64_t>(time.toDouble()), *reason,
        *origin, joinPath(folder, id + kTextSuffix),         object.value(QLatin1String("sideFile")).toString()};
}

} // namespace

RecoveryStore RecoveryStore::forCurrentUser()
{
    return RecoveryStore(joinPath(joinPath(stateFolder(), "quillbrook"), "recovered"));
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {}

Win32Error RecoveryStore::prepare() const
{
    if (folder_.empty() || folder_.front() != '/')
        return ERROR_PATH_NOT_FOUND;
    if (!createFolderWithParents(folder_, 0700))
        return win32ErrorFromErrno(errno);
    // The folder holds page text: only its owner may look in, whoever made it.
    struct stat status {};
    if (::lstat(folder_.c_str(), &status) != 0)
        return win32ErrorFromErrno(errno);
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        return ERROR_ACCESS_DENIED;
    if ((status.st_mode & 0777) != 0700 && ::chmod(folder_.c_str(), 0700) != 0)
        return win32ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

Win32Result<RecoveredText> RecoveryStore::keep(KeptBecause reason, const TextOrigin& origin, std::string_view bytes,
                                               const QString& sideFile)
{
    if (const Win32Error error = prepare())
        return error;
    const std::time_t now = std::time(nullptr);
    RecoveredText text{newId(now), static_cast<std::int64_t>(now), reason, origin, {}, sideFile};
    text.textPath = joinPath(folder_, text.id + kTextSuffix);
    if (const Win32Error error = writeNewFile(text.textPath, bytes)) {
        ::unlink(text.textPath.c_str());
        return error;
    }
    QJsonObject facts = originToJson(origin);
    facts.insert(QStringLiteral("reason"), reasonName(reason));
    facts.insert(QStringLiteral("time"), static_cast<double>(text.time));
    if (!sideFile.isEmpty())
        facts.insert(QStringLiteral("sideFile"), sideFile);
    const QByteArray json = QJsonDocument(facts).toJson(QJsonDocument::Indented);
    // Written aside and renamed into place, so that a listed entry is always whole.
    const std::string factsPath = joinPath(folder_, text.id + kFactsSuffix);
    const std::string partial = joinPath(folder_, "." + text.id + ".partial");
    Win32Error error = writeNewFile(partial, std::string_view(json.constData(), static_cast<std::size_t>(json.size())));
    if (!error && ::rename(partial.c_str(), factsPath.c_str()) != 0)
        error = win32ErrorFromErrno(errno);
    if (error) {
        ::unlink(partial.c_str());
        ::unlink(text.textPath.c_str());
        return error;
    }
    prune(text.id);
    return text;
}

std::vector<RecoveredText> RecoveryStore::list() const
{
    std::vector<RecoveredText> texts;
    DIR* folder = ::opendir(folder_.c_str());
    if (!folder)
        return texts;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.front() == '.' || !endsWith(name, kFactsSuffix))
            continue;
        if (auto text = readEntry(folder_, name.substr(0, name.size() - std::strlen(kFactsSuffix))))
            texts.push_back(std::move(*text));
    }
    ::closedir(folder);
    std::sort(texts.begin(), texts.end(), [](const RecoveredText& a, const RecoveredText& b) {
        return a.time != b.time ? a.time > b.time : a.id > b.id;
    });
    return texts;
}

Win32Result<RecoveredText> RecoveryStore::find(const std::string& id) const
{
    // An id is a name in the folder, never a path.
    if (id.empty() || id.front() == '.' || id.find('/') != std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    auto text = readEntry(folder_, id);
    if (!text)
        return ERROR_FILE_NOT_FOUND;
    return std::move(*text);
}

Win32Result<std::string> RecoveryStore::bytesOf(const RecoveredText& text) const
{
    return readRegularFile(text.textPath, static_cast<std::size_t>(-1));
}

void RecoveryStore::prune(const std::string& keepId) const
{
    const std::int64_t oldest = static_cast<std::int64_t>(std::time(nullptr))
                                - std::chrono::duration_cast<std::chrono::seconds>(kKeptFor).count();
    const std::vector<RecoveredText> texts = list();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const RecoveredText& text = texts[i];
        if (text.id == keepId || (i < kKeptTexts && text.time >= oldest))
            continue;
        // The facts go first: an entry without them is no longer listed.
        ::unlink(joinPath(folder_, text.id + kFactsSuffix).c_str());
        ::unlink(text.textPath.c_str());
    }
}

} // namespace quillbrook
