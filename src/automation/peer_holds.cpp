#include "automation/peer_holds.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QTimer>
#include <utility>
#include <vector>

namespace quillbrook::bus {

PeerHolds::PeerHolds(QDBusConnection connection, std::function<void(const QString& path)> released)
    : connection_(std::move(connection)), peers_(QString(), connection_, QDBusServiceWatcher::WatchForUnregistration),
      released_(std::move(released))
{
    QObject::connect(&peers_, &QDBusServiceWatcher::serviceUnregistered, this,
                     [this](const QString& peer) { peerLeft(peer); });
}

PeerHolds::~PeerHolds() = default;

void PeerHolds::setLeaveGrace(std::chrono::milliseconds grace)
{
    leaveGrace_ = grace;
}

// Holds are kept by unique name: a Release or a departure is seen under that name.
QString PeerHolds::holderName(const QString& peer) const
{
    if (peer.isEmpty() || peer.startsWith(u':'))
        return peer;
    const QDBusReply<QString> owner = connection_.interface()->serviceOwner(peer);
    return owner.isValid() ? owner.value() : QString();
}

void PeerHolds::hold(const QString& path, const QString& peer)
{
    const QString holder = holderName(peer);
    if (holder.isEmpty())
        return;
    if (holders_[path][holder]++ == 0 && holdsByPeer_[holder]++ == 0)
        watch(holder);
}

void PeerHolds::holdAtLeastOnce(const QString& path, const QString& peer)
{
    const QString holder = holderName(peer);
    const auto held = holders_.find(path);
    if (held == holders_.end() || !held->second.contains(holder))
        hold(path, holder);
}

void PeerHolds::release(const QString& path, const QString& peer)
{
    releaseHolds(path, peer, false);
}

void PeerHolds::releaseHolds(const QString& path, const QString& peer, bool every)
{
    const auto held = holders_.find(path);
    if (held == holders_.end())
        return;
    const auto holder = held->second.find(peer);
    if (holder == held->second.end())
        return;
    if (!every && --holder->second > 0)
        return;
    held->second.erase(holder);
    if (--holdsByPeer_[peer] == 0) {
        holdsByPeer_.erase(peer);
        peers_.removeWatchedService(peer);
    }
    if (!held->second.empty())
        return;
    holders_.erase(held);
    // Last, with the maps consistent: the owner may end the object here, and its destructor may
    // reach this object again.
    if (released_)
        released_(path);
}

// A peer that left before the watch began is never reported by the watcher: asking whether it
// still has an owner, after the watch is in place, closes that gap.
void PeerHolds::watch(const QString& peer)
{
    peers_.addWatchedService(peer);
    auto* pending =
        new QDBusPendingCallWatcher(connection_.interface()->asyncCall(QStringLiteral("NameHasOwner"), peer), this);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, this, [this, peer](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<bool> reply = *call;
        if (reply.isValid() && !reply.value())
            peerLeft(peer);
        call->deleteLater();
    });
}

void PeerHolds::peerLeft(const QString& peer)
{
    // A unique name is never given again, so the departed peer's holds can safely wait.
    if (leaveGrace_.count() > 0)
        QTimer::singleShot(leaveGrace_, this, [this, peer] { dropHolds(peer); });
    else
        dropHolds(peer);
}

void PeerHolds::dropHolds(const QString& peer)
{
    std::vector<QString> held;
    for (const auto& [path, holders] : holders_) {
        if (holders.contains(peer))
            held.push_back(path);
    }
    for (const QString& path : held)
        releaseHolds(path, peer, true);
}

} // namespace quillbrook::bus
