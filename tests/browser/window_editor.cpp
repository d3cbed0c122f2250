// quillbrook-test-window-editor: an editor for browser tests that has a real X window, saves its
// file when told and closes when its window is asked to, as a desktop editor does.
//
//   quillbrook-test-window-editor --session-dir DIR [other arguments...] FILE
//
// It makes the FIFO DIR/PID.fifo, then writes DIR/PID.log: its arguments, one a line. Further
// lines follow as things happen: "mapped" once its window is on the display, "close-requested"
// when WM_DELETE_WINDOW arrives, "ended" at its end. Several editors can share DIR.
//
// Commands on the FIFO, one a line: "write HEX" replaces the file's content in place, "rename HEX"
// writes a new file and renames it over the old one, "exit" ends the editor; HEX is the content as
// hexadecimal bytes.
#include "platform/file_descriptor.h"
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

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

bool save(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    return static_cast<bool>(file.flush());
}

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
                if (const auto status = perform(line); status >= 0)
                    return status;
            }
        }
    }

private:
    void openWindow(xcb_atom_t netWmPid)
    {
        window_ = xcb_generate_id(connection_.get());
        const std::uint32_t events[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(connection_.get(), XCB_COPY_FROM_PARENT, window_, connection_.defaultRoot(), 0, 0, 200, 120,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, events);
        const std::string title = "quillbrook-test-window-editor";
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
        const std::uint32_t pid[] = {static_cast<std::uint32_t>(getpid())};
        x11::writeProperty32(connection_, window_, netWmPid, XCB_ATOM_CARDINAL, pid);
        const std::uint32_t protocols[] = {wmDeleteWindow_};
        x11::writeProperty32(connection_, window_, wmProtocols_, XCB_ATOM_ATOM, protocols);
        xcb_map_window(connection_.get(), window_);
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

    // The exit status when the command ends the editor, else -1.
    int perform(const std::string& line)
    {
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string content = space == std::string::npos ? std::string() : fromHex(line.substr(space + 1));
        if (verb == "exit")
            return 0;
        if (verb == "write" && !save(file_, content))
            return 3;
        if (verb == "rename") {
            const std::string fresh = file_ + ".new";
            if (!save(fresh, content) || std::rename(fresh.c_str(), file_.c_str()) != 0)
                return 3;
        }
        return -1;
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
