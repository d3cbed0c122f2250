#include "automation/bus_exporter.h"

#include "automation/bus_introspection.h"
#include "automation/bus_object_calls.h"
#include "automation/class_factory.h"
#include "automation/peer_holds.h"
#include "automation/remote_dispatch.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace quillbrook::bus {

namespace {

constexpr QLatin1String kObjectPathPrefix("/org/fernhollow/Quillbrook/objects/");
constexpr QLatin1String kIntrospectableInterface("org.freedesktop.DBus.Introspectable");
constexpr QLatin1String kPeerInterface("org.freedesktop.DBus.Peer");

// The object's identity: its canonical facet, so that two references to one object are one export.
std::shared_ptr<Dispatchable> identityOf(const std::shared_ptr<Dispatchable>& object)
{
    std::shared_ptr<Dispatchable> identity;
    if (SUCCEEDED(object->QueryInterface(IID_IUnknown, &identity)) && identity)
        return identity;
    return object;
}

} // namespace

// One virtual object serves every path of this exporter: the class factory and the exported
// objects, which it tells apart by the call's path.
class BusExporter::Impl final : public QDBusVirtualObject {
public:
    Impl(BusExporter& owner, QDBusConnection connection)
        : owner_(owner), connection_(std::move(connection)),
          holds_(connection_, [this](const QString& path) { unexport(path); })
    {
        registerBusTypes();
    }

    ~Impl() override
    {
        for (const auto& entry : exports_)
            connection_.unregisterObject(entry.first);
        if (factoryRegistered_)
            connection_.unregisterObject(QLatin1String(kClassFactoryPath));
        releaseServiceName();
    }

    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    const QDBusConnection& connection() const { return connection_; }
    std::size_t exportedCount() const { return exports_.size(); }
    void setLeaveGrace(std::chrono::milliseconds grace)
    {
        leaveGrace_ = grace;
        holds_.setLeaveGrace(grace);
    }

    bool registerClassFactory()
    {
        factoryRegistered_ =
            factoryRegistered_
            || connection_.registerVirtualObject(QLatin1String(kClassFactoryPath), this, QDBusConnection::SingleNode);
        return factoryRegistered_;
    }

    bool ownServiceName()
    {
        ownsName_ = ownsName_ || connection_.registerService(QLatin1String(kServiceName));
        return ownsName_;
    }

    void releaseServiceName()
    {
        if (std::exchange(ownsName_, false))
            connection_.unregisterService(QLatin1String(kServiceName));
    }

    ObjectReference toReference(const std::shared_ptr<Dispatchable>& object, const QString& peer)
    {
        if (!object)
            return {};
        const std::shared_ptr<Dispatchable> identity = identityOf(object);
        // Another process's object is passed on as its own reference, not served from here.
        if (const ObjectReference* remote = remoteReferenceOf(*identity))
            return *remote;
        const auto known = paths_.find(identity.get());
        const QString path = known != paths_.end() ? known->second : exportObject(identity);
        if (path.isEmpty())
            return {};
        holds_.hold(path, peer);
        return {connection_.baseService(), QDBusObjectPath(path)};
    }

    std::shared_ptr<Dispatchable> fromReference(const ObjectReference& reference)
    {
        if (reference.isNull())
            return nullptr;
        if (isOwnName(reference.service)) {
            if (const auto exported = exports_.find(reference.path.path()); exported != exports_.end())
                return exported->second.object;
        }
        std::erase_if(proxies_, [](const auto& entry) { return entry.second.expired(); });
        const auto key = std::make_pair(reference.service, reference.path.path());
        std::shared_ptr<RemoteObject> proxy = proxies_[key].lock();
        if (!proxy) {
            proxy = RemoteObject::create(owner_, reference);
            proxies_[key] = proxy;
        }
        return proxy->identity();
    }

    QString introspect(const QString& path) const override
    {
        if (path == QLatin1String(kClassFactoryPath))
            return classFactoryIntrospection();
        const auto exported = exports_.find(path);
        return exported == exports_.end() ? QString() : objectIntrospection(exported->second.object->typeInfo());
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& /*connection*/) override
    {
        if (message.path() == QLatin1String(kClassFactoryPath))
            return answer(message, factoryCall(message));
        const auto exported = exports_.find(message.path());
        if (exported == exports_.end())
            return false;
        // Kept for the whole call, which may release the object or leave it to a nested call.
        const std::shared_ptr<Dispatchable> object = exported->second.object;
        const QString interface = message.interface();
        if (message.member() == u"Release" && (interface.isEmpty() || interface == QLatin1String(kDispatchInterface))) {
            holds_.release(message.path(), message.service());
            return answer(message, message.createReply());
        }
        if (leaveGrace_.count() > 0)
            holds_.holdAtLeastOnce(message.path(), message.service());
        return answer(message, answerObjectCall(message, object, owner_));
    }

private:
    // An object is held for as long as any peer holds it (holds_), counted as the original
    // counted references: a peer that was handed it twice (as a created object and as an event
    // sink, say) releases twice.
    struct Export {
        std::shared_ptr<Dispatchable> object;
    };

    bool answer(const QDBusMessage& call, const std::optional<QDBusMessage>& reply)
    {
        if (!reply)
            return false;
        if (call.isReplyRequired())
            connection_.send(*reply);
        return true;
    }

    bool isOwnName(const QString& service) const
    {
        return service == connection_.baseService() || (ownsName_ && service == QLatin1String(kServiceName));
    }

    QString exportObject(const std::shared_ptr<Dispatchable>& identity)
    {
        const QString path = kObjectPathPrefix + QString::number(++lastObjectNumber_);
        if (!connection_.registerVirtualObject(path, this, QDBusConnection::SingleNode)) {
            qWarning("quillbrook: cannot export an object at %s: %s", qPrintable(path),
                     qPrintable(connection_.lastError().message()));
            return {};
        }
        exports_.emplace(path, Export{identity});
        paths_.emplace(identity.get(), path);
        return path;
    }

    // An object handed to nobody stays exported, unheld, until the exporter ends.
    void unexport(const QString& path)
    {
        if (const auto exported = exports_.find(path); exported != exports_.end())
            unexport(exported);
    }

    void unexport(std::map<QString, Export>::iterator exported)
    {
        connection_.unregisterObject(exported->first);
        paths_.erase(exported->second.object.get());
        // The object may end here, and its destructor may reach this exporter again: the maps are
        // consistent before it runs.
        const std::shared_ptr<Dispatchable> object = std::move(exported->second.object);
        exports_.erase(exported);
    }

    std::optional<QDBusMessage> factoryCall(const QDBusMessage& call)
    {
        const QString interface = call.interface();
        if (interface == kIntrospectableInterface || interface == kPeerInterface)
            return std::nullopt;
        if ((!interface.isEmpty() && interface != QLatin1String(kClassFactoryInterface))
            || call.member() != u"CreateInstance")
            return call.createErrorReply(QDBusError::UnknownMethod,
                                         QStringLiteral("No method %1 in %2").arg(call.member(), interface));
        if (call.signature() != u"s")
            return call.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("CreateInstance takes (s)"));
        return createInstanceReply(call);
    }

    // By a braced class id or a ProgID; the broker answers REGDB_E_CLASSNOTREG for both unknowns.
    QDBusMessage createInstanceReply(const QDBusMessage& call)
    {
        const QString classId = call.arguments().front().toString();
        std::shared_ptr<Dispatchable> created;
        HRESULT hr = S_OK;
        if (const auto clsid = Guid::parse(classId.toStdString())) {
            hr = createInstance(*clsid, IID_IUnknown, &created);
        } else {
            hr = createInstance(QStringView(classId), IID_IUnknown, &created);
            if (hr == CO_E_CLASSSTRING)
                hr = REGDB_E_CLASSNOTREG;
        }
        ObjectReference reference;
        if (SUCCEEDED(hr)) {
            reference = toReference(created, call.service());
            if (reference.isNull())
                hr = E_FAIL;
        }
        return call.createReply({QVariant::fromValue(static_cast<qint32>(hr)), QVariant::fromValue(reference.path)});
    }

    BusExporter& owner_;
    QDBusConnection connection_;
    std::map<QString, Export> exports_;
    std::map<const Dispatchable*, QString> paths_;
    std::map<std::pair<QString, QString>, std::weak_ptr<RemoteObject>> proxies_;
    std::uint64_t lastObjectNumber_ = 0;
    std::chrono::milliseconds leaveGrace_{0};
    bool factoryRegistered_ = false;
    bool ownsName_ = false;
    // Last: its release of a departed peer's holds reaches exports_.
    PeerHolds holds_;
};

BusExporter::BusExporter(QDBusConnection connection) : impl_(std::make_unique<Impl>(*this, std::move(connection))) {}

BusExporter::~BusExporter() = default;

bool BusExporter::registerClassFactory()
{
    return impl_->registerClassFactory();
}

bool BusExporter::ownServiceName()
{
    return impl_->ownServiceName();
}

void BusExporter::releaseServiceName()
{
    impl_->releaseServiceName();
}

std::size_t BusExporter::exportedCount() const
{
    return impl_->exportedCount();
}

void BusExporter::setLeaveGrace(std::chrono::milliseconds grace)
{
    impl_->setLeaveGrace(grace);
}

ObjectReference BusExporter::toReference(const std::shared_ptr<Dispatchable>& object, const QString& peer)
{
    return impl_->toReference(object, peer);
}

std::shared_ptr<Dispatchable> BusExporter::fromReference(const ObjectReference& reference)
{
    return impl_->fromReference(reference);
}

QDBusConnection BusExporter::connection() const
{
    return impl_->connection();
}

} // namespace quillbrook::bus
