// Tells when the hive file may have changed: inotify on its folder, for the file and its
// write-ahead log and shared-memory companions. Several events in one batch give one call, made
// from the event loop.
#pragma once

#include "platform/file_descriptor.h"

#include <QSocketNotifier>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

namespace quillbrook::bridge {

class HiveWatcher {
public:
    HiveWatcher(const std::filesystem::path& hiveFile, std::function<void()> changed);
    ~HiveWatcher();
    HiveWatcher(const HiveWatcher&) = delete;
    HiveWatcher& operator=(const HiveWatcher&) = delete;

    // Empty while watching; otherwise why the folder cannot be watched.
    const QString& error() const { return error_; }

private:
    void readEvents();

    std::string fileName_;
    std::function<void()> changed_;
    FileDescriptor inotify_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QString error_;
};

} // namespace quillbrook::bridge
