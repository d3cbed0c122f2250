// Which peers on the bus hold which of this process's served objects, as the original counted
// references: a peer handed an object twice releases it twice, and a peer that leaves the bus
// drops all its holds at once. The owner is told when an object's last hold goes. Shared by the
// server's exporter and the browser bridge's page server. Used on the connection's thread.
//
//   PeerHolds holds(connection, [](const QString& path) { unexport(path); });
//   holds.hold(path, peer);        // handed to `peer`
//   holds.release(path, peer);     // its Release
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>

namespace quillbrook::bus {

class PeerHolds final : public QObject {
public:
    // `released` gets the path whose last hold went; it may destroy what the path serves, but
    // not this object.
    PeerHolds(QDBusConnection connection, std::function<void(const QString& path)> released);
    ~PeerHolds() override;
    PeerHolds(const PeerHolds&) = delete;
    PeerHolds& operator=(const PeerHolds&) = delete;

    // Off (zero) by default: a peer that leaves drops its holds only after `grace`.
    void setLeaveGrace(std::chrono::milliseconds grace);

    // One more hold of `path` by `peer` (a unique or well-known name; nothing for an empty one).
    void hold(const QString& path, const QString& peer);
    // A hold by `peer` unless it has one already: for a peer that calls an object it was not
    // handed, or that holds it only once whatever it was handed.
    void holdAtLeastOnce(const QString& path, const QString& peer);
    // One hold of `path` by `peer` goes.
    void release(const QString& path, const QString& peer);

    // The number of paths that someone holds.
    std::size_t heldCount() const { return holders_.size(); }

private:
    QString holderName(const QString& peer) const;
    void releaseHolds(const QString& path, const QString& peer, bool every);
    void watch(const QString& peer);
    void peerLeft(const QString& peer);
    void dropHolds(const QString& peer);

    QDBusConnection connection_;
    QDBusServiceWatcher peers_;
    std::function<void(const QString&)> released_;
    // path -> peer -> how often it was handed the object.
    std::map<QString, std::map<QString, int>> holders_;
    std::map<QString, std::size_t> holdsByPeer_;
    std::chrono::milliseconds leaveGrace_{0};
};

} // namespace quillbrook::bus
