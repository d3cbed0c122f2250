// quillbrook-test-window-editor: an editor for browser tests that has a real X window, saves its
// file when told and closes when its window is asked to, as a desktop editor does.
//
//   quillbrook-test-window-editor --session-dir DIR [other arguments...] FILE
//
// It makes the FIFO DIR/PID.fifo, then writes DIR/PID.log: its arguments, one a line. Further
// lines follow as things happen: "mapped" once its window is on the display, "close-requested"
// when WM_DELETE_WINDOW arrives, "ended" at its end. Several editors can share DIR.
//
// The commands on the FIFO are those of tests/support/editor/editor_commands.h.
#include "platform/file_descriptor.h"
#include "support/editor/editor_commands.h"
#include "support/x11/editor_window.h"
#include "platform/x11_connection.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace quillbrook;

class Log {
public:
    explicit Log(std::string path) : path_(std::move(path)) {}
    ~Log() { add("ended"); }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    void add(const std::string& line) const { std::ofstream(path_, std::ios::app) << line << '\n'; }

private:
    std::string path_;
};

class WindowEditor {
public:
    WindowEditor(const x11::Connection& connection, std::string file, const Log& log, int control)
        : connection_(connection), file_(std::move(file)), log_(log), control_(control)
    {
        const auto atoms = connection_.atoms({"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_PID"}, false);
        wmProtocols_ = atoms[0];
        wmDeleteWindow_ = atoms[1];
        openWindow(atoms[2]);
    }

    // The exit status: 0 for a close or "exit", 3 when a save failed, 1 when the display went.
    int run()
    {
        std::string input;
        while (true) {
            xcb_flush(connection_.get());
            pollfd sources[2] = {{xcb_get_file_descriptor(connection_.get()), POLLIN, 0}, {control_, POLLIN, 0}};
            if (poll(sources, 2, -1) < 0 && errno != EINTR)
                return 1;
            while (const x11::Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
                if (!handle(*event))
                    return 0;
            }
            if (xcb_connection_has_error(connection_.get()))
                return 1;
            if (sources[1].revents == 0)
                continue;
            char chunk[4096];
            const auto got = read(control_, chunk, sizeof chunk);
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (got <= 0)
                return 1;
            input.append(chunk, static_cast<std::size_t>(got));
            for (auto end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 1);
                if (const auto status = testing::performEditorCommand(file_, line))
                    return *status;
            }
        }
    }

private:
    void openWindow(xcb_atom_t netWmPid)
    {
        window_ = testing::openEditorWindow(connection_, "quillbrook-test-window-editor", netWmPid, wmProtocols_,
                                            wmDeleteWindow_);
    }

    // False when the editor is to end.
    bool handle(const xcb_generic_event_t& event)
    {
        const auto type = event.response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY)
            log_.add("mapped");
        if (type != XCB_CLIENT_MESSAGE)
            return true;
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
        if (message.type != wmProtocols_ || message.format != 32 || message.data.data32[0] != wmDeleteWindow_)
            return true;
        log_.add("close-requested");
        return false;
    }

    const x11::Connection& connection_;
    std::string file_;
    const Log& log_;
    int control_;
    xcb_window_t window_ = 0;
    xcb_atom_t wmProtocols_ = XCB_ATOM_NONE;
    xcb_atom_t wmDeleteWindow_ = XCB_ATOM_NONE;
};

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string folder;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--session-dir")
            folder = arguments[i + 1];
    }
    if (folder.empty() || arguments.size() < 3) {
        std::cerr << "usage: quillbrook-test-window-editor --session-dir DIR [arguments...] FILE\n";
        return 2;
    }
    const std::string base = folder + "/" + std::to_string(getpid());
    if (mkfifo((base + ".fifo").c_str(), 0600) != 0) {
        std::perror("quillbrook-test-window-editor: mkfifo");
        return 1;
    }
    // Read and write: the FIFO never reaches its end, whoever opens and closes it.
    const FileDescriptor control(open((base + ".fifo").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    {
        // Written whole under a temporary name, so that a reader never sees half the arguments.
        std::ofstream record(base + ".log.new", std::ios::trunc);
        for (const std::string& argument : arguments)
            record << argument << '\n';
    }
    std::rename((base + ".log.new").c_str(), (base + ".log").c_str());
    const Log log(base + ".log");
    const auto connection = x11::Connection::open();
    if (!connection || control.get() < 0)
        return 1;
    return WindowEditor(*connection, arguments.back(), log, control.get()).run();
}
