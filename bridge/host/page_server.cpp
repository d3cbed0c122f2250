#include "bridge/host/page_server.h"

#include "automation/peer_holds.h"
#include "bridge/host/page_methods.h"
#include "interfaces/remote_page.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <algorithm>
#include <optional>
#include <vector>

namespace quillbrook::bridge {

namespace {

using Object = std::shared_ptr<Dispatchable>;

bool answers(const Object& object, const Guid& iid)
{
    Object facet;
    return SUCCEEDED(object->QueryInterface(iid, &facet));
}

// "i(so)" as the single complete types "i", "(so)", for introspection.
QStringList completeTypes(const char* signature)
{
    QStringList types;
    int depth = 0;
    for (const char* c = signature; *c; ++c) {
        if (depth == 0)
            types.append(QString());
        types.last() += QLatin1Char(*c);
        depth += *c == '(' ? 1 : *c == ')' ? -1 : 0;
    }
    return types;
}

QString methodXml(const char* name, const char* in, const char* out)
{
    QString xml = QStringLiteral("<method name=\"%1\">").arg(QLatin1String(name));
    for (const QString& type : completeTypes(in))
        xml += QStringLiteral("<arg type=\"%1\" direction=\"in\"/>").arg(type);
    for (const QString& type : completeTypes(out))
        xml += QStringLiteral("<arg type=\"%1\" direction=\"out\"/>").arg(type);
    return xml + QStringLiteral("</method>");
}

} // namespace

class PageServer::Objects final : public QDBusVirtualObject, public PageObjects {
public:
    Objects(QDBusConnection connection, QString root, std::shared_ptr<PendingDeliveries> deliveries)
        : connection_(std::move(connection)), root_(std::move(root)), deliveries_(std::move(deliveries)),
          holds_(connection_, [this](const QString&) {
              if (holds_.heldCount() == 0 && released_)
                  released_();
          })
    {
        bus::registerBusTypes();
        registered_ = connection_.registerVirtualObject(root_, this, QDBusConnection::SubPath);
        if (!registered_) {
            const QString reason = connection_.lastError().message();
            error_ = QStringLiteral("cannot serve a page at %1: %2")
                         .arg(root_, reason.isEmpty() ? QStringLiteral("the path is taken or invalid") : reason);
        }
    }

    ~Objects() override
    {
        if (registered_)
            connection_.unregisterObject(root_, QDBusConnection::UnregisterTree);
    }

    const QString& error() const { return error_; }
    bool isHeld() const { return holds_.heldCount() > 0; }
    void onReleased(std::function<void()> released) { released_ = std::move(released); }

    bus::ObjectReference referenceOf(const Object& object) override
    {
        if (!object)
            return {};
        Object identity;
        if (FAILED(object->QueryInterface(IID_IUnknown, &identity)) || !identity)
            identity = object;
        auto found = std::find(objects_.begin(), objects_.end(), identity);
        if (found == objects_.end())
            found = objects_.insert(found, identity);
        const auto number = static_cast<qsizetype>(found - objects_.begin()) + 1;
        const QString path = root_ + QLatin1Char('/') + QString::number(number);
        // An object handed in a reply is held by the caller.
        if (!caller_.isEmpty())
            holds_.holdAtLeastOnce(path, caller_);
        return {connection_.baseService(), QDBusObjectPath(path)};
    }

    QDBusConnection connection() const override { return connection_; }
    std::shared_ptr<PendingDeliveries> deliveries() const override { return deliveries_; }

    QString introspect(const QString& path) const override
    {
        const Object object = objectAt(path);
        if (!object)
            return {};
        QString xml = QStringLiteral("<interface name=\"%1\">%2</interface>")
                          .arg(QLatin1String(bus::kUnknownInterface), methodXml("QueryInterface", "s", "b"));
        QString open;
        for (const PageMethod& method : pageMethods()) {
            if (!answers(object, method.interfaceInfo().iid))
                continue;
            const QString interface = pageBusInterface(method.interfaceInfo());
            if (interface != open) {
                xml += (open.isEmpty() ? QString() : QStringLiteral("</interface>"))
                       + QStringLiteral("<interface name=\"%1\">").arg(interface);
                open = interface;
            }
            xml += methodXml(method.name, method.inSignature, method.outSignature);
        }
        return open.isEmpty() ? xml : xml + QStringLiteral("</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        // Introspection, properties and peer calls are Qt's to answer.
        if (message.interface().startsWith(QLatin1String("org.freedesktop.DBus.")))
            return false;
        const Object object = objectAt(message.path());
        if (!object)
            return false;
        const QString interface = message.interface();
        if (message.member() == u"Release"
            && (interface.isEmpty() || interface == QLatin1String(bus::kDispatchInterface))) {
            if (message.isReplyRequired())
                connection.send(message.createReply());
            holds_.release(message.path(), message.service());
            return true;
        }
        // A caller holds what it calls, once, until it releases it or leaves.
        holds_.holdAtLeastOnce(message.path(), message.service());
        caller_ = message.service();
        const std::optional<QDBusMessage> reply = answer(message, object);
        caller_.clear();
        if (reply)
            connection.send(*reply);
        return true;
    }

private:
    Object objectAt(const QString& path) const
    {
        if (!path.startsWith(root_ + QLatin1Char('/')))
            return nullptr;
        bool isNumber = false;
        const qsizetype number = path.mid(root_.size() + 1).toLongLong(&isNumber);
        if (!isNumber || number < 1 || number > static_cast<qsizetype>(objects_.size()))
            return nullptr;
        return objects_[static_cast<std::size_t>(number - 1)];
    }

    // The reply; nullopt when it is sent later.
    std::optional<QDBusMessage> answer(const QDBusMessage& message, const Object& object)
    {
        const QString interface = message.interface();
        const QString member = message.member();
        if ((interface.isEmpty() || interface == QLatin1String(bus::kUnknownInterface))
            && member == QLatin1String("QueryInterface")) {
            if (message.signature() != QLatin1String("s"))
                return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("QueryInterface takes (s)"));
            return message.createReply(answersBusInterface(object, message.arguments().at(0).toString()));
        }
        for (const PageMethod& method : pageMethods()) {
            const InterfaceInfo& info = method.interfaceInfo();
            if (member != QLatin1String(method.name) || (!interface.isEmpty() && interface != pageBusInterface(info))
                || !answers(object, info.iid))
                continue;
            const QLatin1String inSignature(method.inSignature);
            if (message.signature() != inSignature)
                return message.createErrorReply(QDBusError::InvalidArgs,
                                                QStringLiteral("%1 takes (%2)").arg(member, inSignature));
            if (method.answerLater) {
                method.answerLater(*this, object, message.arguments(),
                                   [connection = connection_, message](const QVariantList& arguments) {
                                       connection.send(message.createReply(arguments));
                                   });
                return std::nullopt;
            }
            return message.createReply(method.answer(*this, object, message.arguments()));
        }
        return message.createErrorReply(QDBusError::UnknownMethod,
                                        QStringLiteral("This object has no %1.%2").arg(interface, member));
    }

    static bool answersBusInterface(const Object& object, const QString& busInterface)
    {
        const auto methods = pageMethods();
        return std::any_of(methods.begin(), methods.end(), [&](const PageMethod& method) {
            return pageBusInterface(method.interfaceInfo()) == busInterface
                   && answers(object, method.interfaceInfo().iid);
        });
    }

    QDBusConnection connection_;
    QString root_;
    std::shared_ptr<PendingDeliveries> deliveries_;
    bool registered_ = false;
    QString error_;
    // The object at path root_/n is objects_[n - 1].
    std::vector<Object> objects_;
    // The peer whose call is being answered.
    QString caller_;
    std::function<void()> released_;
    bus::PeerHolds holds_;
};

PageServer::PageServer(QDBusConnection connection, QString root, std::shared_ptr<PendingDeliveries> deliveries)
    : objects_(std::make_unique<Objects>(std::move(connection), std::move(root), std::move(deliveries)))
{}

PageServer::~PageServer() = default;

const QString& PageServer::error() const
{
    return objects_->error();
}

bus::ObjectReference PageServer::referenceOf(const std::shared_ptr<Dispatchable>& object)
{
    return objects_->referenceOf(object);
}

bool PageServer::isHeld() const
{
    return objects_->isHeld();
}

void PageServer::onReleased(std::function<void()> released)
{
    objects_->onReleased(std::move(released));
}

} // namespace quillbrook::bridge
