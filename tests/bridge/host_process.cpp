#include "host_process.h"

#include "bridge/host/native_messaging.h"
#include "platform/json_text.h"

#include <QJsonDocument>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quillbrook::testing {

std::string bridgeProgram()
{
    return std::filesystem::canonical(QUILLBROOK_BRIDGE_PROGRAM).string();
}

HostProcess::HostProcess(const std::filesystem::path& scratchFolder, const std::vector<std::string>& arguments)
    : errorFile_(scratchFolder / "bridge.err")
{
    int toHost[2] = {-1, -1};
    int fromHost[2] = {-1, -1};
    if (pipe2(toHost, O_CLOEXEC) != 0 || pipe2(fromHost, O_CLOEXEC) != 0)
        return;
    const OwnedFd hostInput(toHost[0]);
    const OwnedFd hostOutput(fromHost[1]);
    input_ = OwnedFd(toHost[1]);
    output_ = OwnedFd(fromHost[0]);
    const OwnedFd error(open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    std::vector<std::string> argv{bridgeProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    child_ = std::make_unique<TestChildProcess>(
        argv, std::vector<std::pair<int, int>>{{0, hostInput.get()}, {1, hostOutput.get()}, {2, error.get()}});
}

void HostProcess::send(const QJsonObject& message)
{
    sendRaw(bridge::frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void HostProcess::sendRaw(const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result =
            ::write(input_.get(), bytes.constData() + written, static_cast<std::size_t>(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return;
        written += result;
    }
}

void HostProcess::closeInput()
{
    input_.reset();
}

bool HostProcess::fill(std::chrono::milliseconds timeout)
{
    pollfd entry{output_.get(), POLLIN, 0};
    int ready = 0;
    do
        ready = poll(&entry, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
    char chunk[64 * 1024];
    const ssize_t size = ::read(output_.get(), chunk, sizeof chunk);
    if (size <= 0) {
        ended_ = true;
        return false;
    }
    buffer_.append(chunk, size);
    return true;
}

std::optional<QByteArray> HostProcess::receiveRaw(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (buffer_.size() >= 4) {
            std::uint32_t length = 0;
            std::memcpy(&length, buffer_.constData(), 4);
            if (buffer_.size() >= 4 + static_cast<qsizetype>(length)) {
                QByteArray json = buffer_.mid(4, length);
                buffer_.remove(0, 4 + static_cast<qsizetype>(length));
                const QJsonObject message = parseJson(json).object();
                const QString type = message.value(u"type").toString();
                if (type == u"recent") {
                    recentLists_.push_back(message);
                    continue;
                }
                if (type == u"setValue" && !message.value(u"more").toBool() && confirmWrites_)
                    send({{QStringLiteral("type"), QStringLiteral("valueSet")},
                          {QStringLiteral("request"), message.value(u"request")},
                          {QStringLiteral("written"), true}});
                return json;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (ended_ || left.count() <= 0 || !fill(left))
            return std::nullopt;
    }
}

std::optional<QJsonObject> HostProcess::receive(std::chrono::milliseconds timeout)
{
    const auto json = receiveRaw(timeout);
    if (!json)
        return std::nullopt;
    const QJsonDocument document = parseJson(*json);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

bool HostProcess::outputEnds(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ended_) {
        buffer_.clear();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (!fill(left) && !ended_))
            return false;
    }
    return true;
}

std::optional<int> HostProcess::exitStatus(std::chrono::milliseconds timeout)
{
    const auto status = child_->waitForExit(timeout);
    if (!status || !WIFEXITED(*status))
        return std::nullopt;
    return WEXITSTATUS(*status);
}

std::string HostProcess::errorOutput() const
{
    std::ifstream in(errorFile_, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace quillbrook::testing
