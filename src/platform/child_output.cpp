#include "platform/child_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillbrook {

std::string OutputTail::text() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::string OutputTail::lastLine() const
{
    const std::string all = text();
    std::size_t end = all.size();
    while (end > 0) {
        const std::size_t start = all.rfind('\n', end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        std::string line = all.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            return line;
        if (start == std::string::npos)
            break;
        end = start;
    }
    return {};
}

bool OutputTail::waitForEnd(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, timeout, [this] { return hasEnded_; });
}

void OutputTail::append(std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    bytes_.append(bytes);
    if (bytes_.size() > kKeptBytes)
        bytes_.erase(0, bytes_.size() - kKeptBytes);
}

void OutputTail::markEnded()
{
    {
        std::lock_guard lock(mutex_);
        hasEnded_ = true;
    }
    ended_.notify_all();
}

namespace {

void writeAllTo(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The one thread that reads every child's pipe, woken through an eventfd when a pipe is handed over.
class OutputRelay {
public:
    OutputRelay() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        try {
            if (wakeFd_ >= 0)
                thread_ = std::thread(&OutputRelay::run, this);
        } catch (const std::system_error&) {
        }
    }
    ~OutputRelay()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake();
        if (thread_.joinable())
            thread_.join();
        for (Pipe& pipe : handedOver_)
            finish(pipe);
        if (wakeFd_ >= 0)
            ::close(wakeFd_);
    }
    OutputRelay(const OutputRelay&) = delete;
    OutputRelay& operator=(const OutputRelay&) = delete;

    void adopt(int readEnd, std::shared_ptr<OutputTail> tail)
    {
        {
            std::lock_guard lock(mutex_);
            if (!stopping_ && thread_.joinable()) {
                handedOver_.push_back({readEnd, std::move(tail)});
                readEnd = -1;
            }
        }
        if (readEnd >= 0) {
            // No thread to read it: the pipe is closed at once rather than left to fill.
            Pipe pipe{readEnd, std::move(tail)};
            finish(pipe);
            return;
        }
        wake();
    }

private:
    struct Pipe {
        int fd;
        std::shared_ptr<OutputTail> tail;
    };

    static void finish(Pipe& pipe)
    {
        ::close(std::exchange(pipe.fd, -1));
        if (pipe.tail)
            pipe.tail->markEnded();
    }

    void wake() const
    {
        const std::uint64_t one = 1;
        while (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

    // Reads what one pipe holds; false once its writers have all gone.
    static bool drain(Pipe& pipe)
    {
        char block[16384];
        while (true) {
            const ssize_t got = ::read(pipe.fd, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return errno == EAGAIN;
            if (got == 0)
                return false;
            const std::string_view bytes(block, static_cast<std::size_t>(got));
            writeAllTo(STDERR_FILENO, bytes);
            pipe.tail->append(bytes);
        }
    }

    void run()
    {
        std::vector<Pipe> pipes;
        while (true) {
            {
                std::lock_guard lock(mutex_);
                if (stopping_)
                    break;
                std::move(handedOver_.begin(), handedOver_.end(), std::back_inserter(pipes));
                handedOver_.clear();
            }
            std::vector<pollfd> entries{{wakeFd_, POLLIN, 0}};
            for (const Pipe& pipe : pipes)
                entries.push_back({pipe.fd, POLLIN, 0});
            if (::poll(entries.data(), entries.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (entries[0].revents != 0) {
                std::uint64_t count = 0;
                while (::read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
                }
            }
            for (std::size_t i = 0; i < pipes.size(); ++i)
                if (entries[i + 1].revents != 0 && !drain(pipes[i]))
                    finish(pipes[i]);
            std::erase_if(pipes, [](const Pipe& pipe) { return pipe.fd < 0; });
        }
        for (Pipe& pipe : pipes)
            finish(pipe);
    }

    int wakeFd_ = -1;
    std::mutex mutex_;
    std::vector<Pipe> handedOver_;
    bool stopping_ = false;
    std::thread thread_;
};

OutputRelay& outputRelay()
{
    static OutputRelay relay;
    return relay;
}

} // namespace

void relayOutput(int readEnd, std::shared_ptr<OutputTail> tail)
{
    if (readEnd < 0)
        return;
    const int flags = ::fcntl(readEnd, F_GETFL);
    if (flags >= 0)
        ::fcntl(readEnd, F_SETFL, flags | O_NONBLOCK);
    outputRelay().adopt(readEnd, tail ? std::move(tail) : std::make_shared<OutputTail>());
}

} // namespace quillbrook
