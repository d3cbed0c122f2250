// quillbrook-test-window: a stand-in editor with top-level X windows that answers
// WM_DELETE_WINDOW the way an editor does, for tests that close editors politely.
//
//   quillbrook-test-window [--windows N] [--no-delete-protocol] [--ignore-close]
//                          [--save-on-close FILE TEXT] [--ready-file FILE] [--no-stdin]
//                          [--class NAME]
//
// Each window carries _NET_WM_PID and, unless --no-delete-protocol, takes part in
// WM_DELETE_WINDOW. Once every window is mapped it prints "ready". Each WM_DELETE_WINDOW it
// receives prints "close-requested" and closes that window, unless --ignore-close (a user who
// cancels the save prompt) or --no-delete-protocol; when the last window closes it appends TEXT
// to FILE (the last save of an editor that is closing) and exits with status 0.
//
// Commands on stdin, one a line: "ping" answers "pong" once every X event that reached the
// program before the ping has been handled, so a test can tell that a message did not come;
// "windows" answers "windows ID..." in decimal. The program exits when stdin closes, so a test
// never leaves it running. Started as an editor by the system under test, it has no stdin of the
// test's: --no-stdin ignores stdin, and --ready-file appends "ready" to FILE as well. --class
// gives the windows NAME as their WM_CLASS, to stand for another kind of program (a terminal).
#include "platform/x11_connection.h"
#include "editor_window.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quillbrook;

struct Options {
    unsigned windows = 1;
    bool deleteProtocol = true;
    bool ignoreClose = false;
    std::string saveFile;
    std::string saveText;
    std::string readyFile;
    bool useStdin = true;
    std::string windowClass;
};

std::optional<Options> parseOptions(int argc, char** argv)
{
    Options options;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--windows" && hasValue) {
            const auto value = args[++i];
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.windows);
            if (error != std::errc() || end != value.data() + value.size() || options.windows == 0)
                return std::nullopt;
        } else if (args[i] == "--no-delete-protocol") {
            options.deleteProtocol = false;
        } else if (args[i] == "--ignore-close") {
            options.ignoreClose = true;
        } else if (args[i] == "--ready-file" && hasValue) {
            options.readyFile = args[++i];
        } else if (args[i] == "--class" && hasValue) {
            options.windowClass = args[++i];
        } else if (args[i] == "--no-stdin") {
            options.useStdin = false;
        } else if (args[i] == "--save-on-close" && i + 2 < args.size()) {
            options.saveFile = args[++i];
            options.saveText = args[++i];
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Unbuffered, so that a test reading the pipe sees each line as soon as it is said.
void say(const std::string& line)
{
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const auto result = write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return;
        written += static_cast<std::size_t>(result);
    }
}

class TestWindows {
public:
    TestWindows(const x11::Connection& connection, Options options)
        : connection_(connection), options_(std::move(options))
    {
        const auto atoms = connection_.atoms({"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_PID"}, false);
        wmProtocols_ = atoms[0];
        wmDeleteWindow_ = atoms[1];
        netWmPid_ = atoms[2];
    }

    int run()
    {
        for (unsigned i = 0; i < options_.windows; ++i)
            open();
        std::string input;
        while (true) {
            xcb_flush(connection_.get());
            pollfd sources[2] = {{xcb_get_file_descriptor(connection_.get()), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            if (poll(sources, options_.useStdin ? 2 : 1, -1) < 0 && errno != EINTR)
                return 1;
            if (!handleEvents(xcb_poll_for_event))
                return closed();
            if (xcb_connection_has_error(connection_.get()))
                return 1;
            if (sources[1].revents == 0)
                continue;
            char chunk[256];
            const auto got = read(STDIN_FILENO, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return 0;
            input.append(chunk, static_cast<std::size_t>(got));
            for (auto end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
                const std::string command = input.substr(0, end);
                input.erase(0, end + 1);
                if (!answer(command))
                    return closed();
            }
        }
    }

private:
    void open()
    {
        windows_.push_back(testing::openEditorWindow(
            connection_, "quillbrook-test-window", netWmPid_, wmProtocols_,
            options_.deleteProtocol ? wmDeleteWindow_ : xcb_atom_t{XCB_ATOM_NONE}, options_.windowClass));
    }

    // Handles every event `next` yields; false once the last window has closed.
    bool handleEvents(xcb_generic_event_t* (*next)(xcb_connection_t*))
    {
        while (const x11::Reply<xcb_generic_event_t> event{next(connection_.get())}) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY)
                mapped(reinterpret_cast<const xcb_map_notify_event_t&>(*event).window);
            else if (type == XCB_CLIENT_MESSAGE
                     && !received(reinterpret_cast<const xcb_client_message_event_t&>(*event)))
                return false;
        }
        return true;
    }

    void mapped(xcb_window_t window)
    {
        if (readySaid_ || std::find(mapped_.begin(), mapped_.end(), window) != mapped_.end())
            return;
        mapped_.push_back(window);
        if (mapped_.size() == windows_.size()) {
            readySaid_ = true;
            say("ready");
            if (!options_.readyFile.empty())
                std::ofstream(options_.readyFile, std::ios::app) << "ready\n";
        }
    }

    bool received(const xcb_client_message_event_t& message)
    {
        if (message.type != wmProtocols_ || message.format != 32 || message.data.data32[0] != wmDeleteWindow_)
            return true;
        say("close-requested");
        const auto window = std::find(windows_.begin(), windows_.end(), message.window);
        if (options_.ignoreClose || !options_.deleteProtocol || window == windows_.end())
            return true;
        xcb_destroy_window(connection_.get(), *window);
        windows_.erase(window);
        return !windows_.empty();
    }

    bool answer(const std::string& command)
    {
        if (command == "ping") {
            // Events the server sent before it answers this round trip are queued by now.
            connection_.sync();
            if (!handleEvents(xcb_poll_for_queued_event))
                return false;
            say("pong");
        } else if (command == "windows") {
            std::string line = "windows";
            for (const auto window : windows_)
                line += " " + std::to_string(window);
            say(line);
        }
        return true;
    }

    int closed() const
    {
        if (!options_.saveFile.empty())
            std::ofstream(options_.saveFile, std::ios::app) << options_.saveText << '\n';
        return 0;
    }

    const x11::Connection& connection_;
    Options options_;
    xcb_atom_t wmProtocols_ = XCB_ATOM_NONE;
    xcb_atom_t wmDeleteWindow_ = XCB_ATOM_NONE;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
    std::vector<xcb_window_t> windows_;
    std::vector<xcb_window_t> mapped_;
    bool readySaid_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fputs("usage: quillbrook-test-window [--windows N] [--no-delete-protocol] [--ignore-close]"
                   " [--save-on-close FILE TEXT] [--ready-file FILE] [--no-stdin] [--class NAME]\n",
                   stderr);
        return 2;
    }
    const auto connection = x11::Connection::open();
    if (!connection) {
        std::fputs("quillbrook-test-window: cannot open the X display\n", stderr);
        return 1;
    }
    return TestWindows(*connection, *options).run();
}
