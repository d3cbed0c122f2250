// A real editor process for tests: it saves its file when told, the way editors save, and exits
// when told. Commands arrive one per line on a control FIFO; its arguments are recorded first.
//
//   quillbrook-test-editor --control FIFO [--log FILE] [--window] [other arguments...] FILE
//
// The FIFO and the log may come from QUILLBROOK_TEST_EDITOR_CONTROL and QUILLBROOK_TEST_EDITOR_LOG
// instead, so that a command line without them can be tested.
//
// Commands: "write HEX" replaces the file's content in place, "rename HEX" writes a new file and
// renames it over the old one, "exit" ends the editor; HEX is the content as hexadecimal bytes so
// that any byte can be written. The end of the control FIFO ends the editor too. The log gets the
// arguments, one a line, at the start and "ended" at the end.
//
// With --window (and a display) the editor also shows a top-level X window that carries its
// _NET_WM_PID and takes part in WM_DELETE_WINDOW, as desktop editors do: a polite close logs
// "close-requested" and ends the editor, so a test can see that the editor was asked to close.
// The log gets "shown" once the window exists.
#include "platform/x11_connection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <thread>
#include <vector>

namespace {

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Appends "ended" to the log when the editor ends, so that a test can wait for its end.
struct EndRecord {
    std::string log;
    ~EndRecord()
    {
        if (!log.empty())
            std::ofstream(log, std::ios::app) << "ended\n";
    }
};

bool save(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    return static_cast<bool>(file.flush());
}

// The editor's window: ends the process when the window manager (or Quillbrook) asks it to close.
void showWindowUntilClosed(const std::string& log)
{
    using namespace quillbrook;
    auto connection = x11::Connection::open();
    if (!connection)
        return;
    const auto atoms = connection->atoms({"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_PID"}, false);
    const xcb_window_t window = xcb_generate_id(connection->get());
    xcb_create_window(connection->get(), XCB_COPY_FROM_PARENT, window, connection->defaultRoot(), 0, 0, 160, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::uint32_t pid[] = {static_cast<std::uint32_t>(getpid())};
    x11::writeProperty32(*connection, window, atoms[2], XCB_ATOM_CARDINAL, pid);
    const std::uint32_t protocols[] = {atoms[1]};
    x11::writeProperty32(*connection, window, atoms[0], XCB_ATOM_ATOM, protocols);
    xcb_map_window(connection->get(), window);
    connection->sync();
    if (!log.empty())
        std::ofstream(log, std::ios::app) << "shown\n";
    while (const x11::Reply<xcb_generic_event_t> event{xcb_wait_for_event(connection->get())}) {
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            continue;
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(*event);
        if (message.type == atoms[0] && message.format == 32 && message.data.data32[0] == atoms[1]) {
            if (!log.empty())
                std::ofstream(log, std::ios::app) << "close-requested\nended\n";
            std::_Exit(0);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* controlVariable = std::getenv("QUILLBROOK_TEST_EDITOR_CONTROL");
    const char* logVariable = std::getenv("QUILLBROOK_TEST_EDITOR_LOG");
    std::string control = controlVariable ? controlVariable : "";
    std::string log = logVariable ? logVariable : "";
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--control")
            control = arguments[i + 1];
        if (arguments[i] == "--log")
            log = arguments[i + 1];
    }
    if (control.empty() || arguments.empty()) {
        std::cerr << "usage: quillbrook-test-editor --control FIFO [--log FILE] FILE\n";
        return 2;
    }
    const std::string file = arguments.back();
    const EndRecord endRecord{log};
    if (!log.empty()) {
        std::ofstream record(log, std::ios::trunc);
        for (const std::string& argument : arguments)
            record << argument << '\n';
    }

    if (std::find(arguments.begin(), arguments.end() - 1, "--window") != arguments.end() - 1)
        std::thread(showWindowUntilClosed, log).detach(); // ends the process itself when closed

    std::ifstream commands(control);
    std::string line;
    while (std::getline(commands, line)) {
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string content = space == std::string::npos ? std::string() : fromHex(line.substr(space + 1));
        if (verb == "exit")
            return 0;
        if (verb == "write" && !save(file, content))
            return 3;
        if (verb == "rename") {
            const std::string fresh = file + ".new";
            if (!save(fresh, content) || std::rename(fresh.c_str(), file.c_str()) != 0)
                return 4;
        }
    }
    return 0;
}
