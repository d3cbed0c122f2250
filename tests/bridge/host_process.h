// The real quillbrook-bridge driven as a browser drives it: messages framed on its standard input,
// its messages read back from its standard output, its standard error kept in a file.
#pragma once

#include "support/x11/test_child_process.h"

#include <QByteArray>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillbrook::testing {

class HostProcess {
public:
    HostProcess(const std::filesystem::path& scratchFolder, const std::vector<std::string>& arguments = {});

    bool started() const { return child_->pid() > 0; }
    pid_t pid() const { return child_->pid(); }

    void send(const QJsonObject& message);
    // Bytes as they are, framing and all.
    void sendRaw(const QByteArray& bytes);
    // The browser closing the pipe.
    void closeInput();

    // The next message's JSON as the host wrote it; nullopt when none came in time or the output
    // ended. "recent" lists are set aside (see recentLists); the last part of every setValue is
    // answered as the browser answers it, "written", unless confirmWrites(false).
    std::optional<QByteArray> receiveRaw(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    std::optional<QJsonObject> receive(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    void confirmWrites(bool confirm) { confirmWrites_ = confirm; }
    // The "recent" messages received so far, oldest first.
    const std::vector<QJsonObject>& recentLists() const { return recentLists_; }

    // Whether the host's output ends (after any messages still unread, which are skipped).
    bool outputEnds(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // The exit status, nullopt when it did not exit in time or was killed.
    std::optional<int> exitStatus(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    std::string errorOutput() const;

private:
    bool fill(std::chrono::milliseconds timeout);

    std::filesystem::path errorFile_;
    OwnedFd input_;
    OwnedFd output_;
    std::unique_ptr<TestChildProcess> child_;
    QByteArray buffer_;
    bool ended_ = false;
    bool confirmWrites_ = true;
    std::vector<QJsonObject> recentLists_;
};

// The program under test.
std::string bridgeProgram();

} // namespace quillbrook::testing
