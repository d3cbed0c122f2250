#include "bridge/host/hive_watcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillbrook::bridge {

HiveWatcher::HiveWatcher(const std::filesystem::path& hiveFile, std::function<void()> changed)
    : fileName_(hiveFile.filename().string()), changed_(std::move(changed)),
      inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (!inotify_.valid()) {
        error_ = QStringLiteral("inotify: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    const std::filesystem::path folder = hiveFile.has_parent_path() ? hiveFile.parent_path() : ".";
    constexpr std::uint32_t kChanges = IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_DELETE;
    if (inotify_add_watch(inotify_.get(), folder.c_str(), kChanges) < 0) {
        error_ = QStringLiteral("cannot watch %1: %2")
                     .arg(QString::fromStdString(folder.string()), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(inotify_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
}

HiveWatcher::~HiveWatcher() = default;

void HiveWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool relevant = false;
    while (true) {
        const ssize_t size = ::read(inotify_.get(), buffer, sizeof buffer);
        if (size <= 0)
            break;
        for (ssize_t offset = 0; offset < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            // "registry.db", "registry.db-wal", "registry.db-shm"; an overflow may hide any of them.
            if ((event->mask & IN_Q_OVERFLOW) != 0
                || (event->len > 0 && std::strncmp(event->name, fileName_.c_str(), fileName_.size()) == 0))
                relevant = true;
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (relevant)
        changed_();
}

} // namespace quillbrook::bridge
