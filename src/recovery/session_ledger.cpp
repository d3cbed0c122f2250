#include "recovery/session_ledger.h"

#include "recovery/side_files.h"

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
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook {
namespace {

constexpr std::size_t kMaxEntrySize = 256 * 1024;

// Field 22 of /proc/PID/stat, in clock ticks since boot; empty when the process does not run.
std::string startTimeOf(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold spaces; the fields after it do not.
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // After the name come state (field 3) ... starttime (field 22). A zombie (Z) or dead (X)
    // process has ended, however long its parent takes to reap it.
    for (int number = 3; number <= 22 && (fields >> field); ++number) {
        if (number == 3 && (field == "Z" || field == "X"))
            return {};
        if (number == 22)
            return field;
    }
    return {};
}

const std::string& ownStartTime()
{
    static const std::string startTime = startTimeOf(::getpid());
    return startTime;
}

} // namespace

SessionLedger SessionLedger::forCurrentUser()
{
    return SessionLedger(joinPath(joinPath(stateFolder(), "quillbrook"), "sessions"));
}

SessionLedger::SessionLedger(std::string folder) : folder_(std::move(folder)) {}

Win32Result<std::string> SessionLedger::record(const std::string& temporaryFile, const TextOrigin& origin)
{
    static std::atomic<unsigned> counter{0};
    if (folder_.empty() || folder_.front() != '/')
        return ERROR_PATH_NOT_FOUND;
    if (!createFolderWithParents(folder_, 0700))
        return win32ErrorFromErrno(errno);
    QJsonObject object = originToJson(origin);
    object.insert(QStringLiteral("file"), QString::fromLocal8Bit(temporaryFile.c_str()));
    object.insert(QStringLiteral("fileBytes"), QString::fromLatin1(QByteArray::fromStdString(temporaryFile).toHex()));
    object.insert(QStringLiteral("pid"), static_cast<double>(::getpid()));
    object.insert(QStringLiteral("startTime"), QString::fromStdString(ownStartTime()));
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const std::string entry = joinPath(folder_, std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".json");
    const FileDescriptor file(::open(entry.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid())
        return win32ErrorFromErrno(errno);
    if (const Win32Error error =
            writeAll(file.get(), std::string_view(json.constData(), static_cast<std::size_t>(json.size())), entry))
        return error;
    return entry;
}

void SessionLedger::forget(const std::string& entry)
{
    if (!entry.empty())
        ::unlink(entry.c_str());
}

std::vector<RecoveredText> SessionLedger::sweep(RecoveryStore& store)
{
    std::vector<RecoveredText> kept;
    DIR* folder = ::opendir(folder_.c_str());
    if (!folder)
        return kept;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    ::closedir(folder);

    for (const std::string& name : names) {
        const std::string entry = joinPath(folder_, name);
        const auto data = readRegularFile(entry, kMaxEntrySize);
        if (!data.ok())
            continue;
        const QJsonObject object = parseJson(QByteArray::fromStdString(data.value())).object();
        const auto origin = originFromJson(object);
        const QByteArray file = QByteArray::fromHex(object.value(QLatin1String("fileBytes")).toString().toLatin1());
        const auto pid = static_cast<pid_t>(object.value(QLatin1String("pid")).toDouble());
        const std::string startTime = object.value(QLatin1String("startTime")).toString().toStdString();
        if (!origin || file.isEmpty() || pid <= 0) {
            forget(entry);
            continue;
        }
        const std::string runningSince = startTimeOf(pid);
        if (!runningSince.empty() && runningSince == startTime)
            continue; // its server still runs: the session may too
        const std::string path = file.toStdString();
        // What the session's editor left beside its file goes too, whatever became of the file.
        keepSideFiles(store, path, *origin);
        const auto bytes = readRegularFile(path, static_cast<std::size_t>(-1));
        if (!bytes.ok()) {
            // Gone already, or a file this user may not read: nothing of it can be kept.
            forget(entry);
            continue;
        }
        if (!bytes.value().empty()) {
            auto text = store.keep(KeptBecause::LeftBehind, *origin, bytes.value());
            if (!text.ok())
                continue;
            kept.push_back(std::move(text).value());
        }
        ::unlink(path.c_str());
        forget(entry);
    }
    return kept;
}

} // namespace quillbrook
