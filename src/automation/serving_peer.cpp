#include "automation/serving_peer.h"

#include "automation/remote_dispatch.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <optional>

namespace quillbrook::bus {
namespace {

struct ServingPeer {
    QDBusConnection connection;
    QString name;
};

std::optional<ServingPeer> servingPeerOf(const std::shared_ptr<Dispatchable>& object)
{
    if (!object)
        return std::nullopt;
    std::shared_ptr<Dispatchable> identity;
    if (FAILED(object->QueryInterface(IID_IUnknown, &identity)) || !identity)
        return std::nullopt;
    const auto* remote = dynamic_cast<const RemoteDispatch*>(identity.get());
    if (!remote)
        return std::nullopt;
    return ServingPeer{remote->remote().marshaller().connection(), remote->remote().reference().service};
}

bool hasOwner(const ServingPeer& peer)
{
    const QDBusConnectionInterface* bus = peer.connection.interface();
    if (!bus)
        return false;
    const QDBusReply<bool> reply = bus->isServiceRegistered(peer.name);
    // A bus that cannot answer is no proof that the peer left.
    return !reply.isValid() || reply.value();
}

} // namespace

bool servingPeerHasLeft(const std::shared_ptr<Dispatchable>& object)
{
    const auto peer = servingPeerOf(object);
    return peer && !hasOwner(*peer);
}

ServingPeerWatch::ServingPeerWatch(const std::shared_ptr<Dispatchable>& object, std::function<void()> left)
    : left_(std::make_shared<std::function<void()>>(std::move(left)))
{
    const auto peer = servingPeerOf(object);
    if (!peer)
        return;
    watcher_ = std::make_unique<QDBusServiceWatcher>(peer->name, peer->connection,
                                                     QDBusServiceWatcher::WatchForUnregistration);
    // Once only: a unique name never comes back.
    auto fire = [weak = std::weak_ptr(left_)] {
        if (const auto callback = weak.lock(); callback && *callback)
            std::exchange(*callback, nullptr)();
    };
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, watcher_.get(), fire);
    // The match is in place now; a peer that left before it is told of here.
    if (!hasOwner(*peer))
        QTimer::singleShot(0, watcher_.get(), fire);
}

ServingPeerWatch::~ServingPeerWatch() = default;

} // namespace quillbrook::bus
