// quillbrook-test-close-windows: answers the dialogs a process shows on the X display the way a
// user who closes them does, for browser tests whose server shows a message box or a file dialog.
//
//   quillbrook-test-close-windows PID [COUNT]
//
// Waits for the top-level windows of process PID (by _NET_WM_PID) to be mapped; for each, prints
// "closed TITLE" and asks it to close through WM_DELETE_WINDOW. Exits with 0 after COUNT windows
// (default 1), with 2 on bad arguments, with 1 when the display cannot be reached or goes away.
// It prints "watching" once it listens, so that a test knows no window can be missed.
#include "platform/x11_connection.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

namespace {

using namespace quillbrook;

struct Atoms {
    xcb_atom_t netWmPid;
    xcb_atom_t wmProtocols;
    xcb_atom_t wmDeleteWindow;
    xcb_atom_t netWmName;
    xcb_atom_t utf8String;
};

std::optional<unsigned> parseNumber(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

std::string title(const x11::Connection& connection, xcb_window_t window, const Atoms& atoms)
{
    const std::array<std::pair<xcb_atom_t, xcb_atom_t>, 2> names{
        {{atoms.netWmName, atoms.utf8String}, {XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}};
    for (const auto& [property, type] : names) {
        const auto cookie = xcb_get_property(connection.get(), 0, window, property, type, 0, 1024);
        const x11::Reply<xcb_get_property_reply_t> reply{xcb_get_property_reply(connection.get(), cookie, nullptr)};
        if (reply && reply->format == 8 && xcb_get_property_value_length(reply.get()) > 0)
            return {static_cast<const char*>(xcb_get_property_value(reply.get())),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
    }
    return {};
}

void askToClose(const x11::Connection& connection, xcb_window_t window, const Atoms& atoms)
{
    x11::sendDeleteWindow(connection, window, atoms.wmProtocols, atoms.wmDeleteWindow);
    connection.sync();
}

class Closer {
public:
    Closer(const x11::Connection& connection, std::uint32_t pid, unsigned count)
        : connection_(connection), pid_(pid), left_(count)
    {
        const auto found = connection_.atoms(
            {"_NET_WM_PID", "WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME", "UTF8_STRING"}, false);
        atoms_ = {found[0], found[1], found[2], found[3], found[4]};
    }

    int run()
    {
        const std::uint32_t events[] = {XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
        xcb_change_window_attributes(connection_.get(), connection_.defaultRoot(), XCB_CW_EVENT_MASK, events);
        connection_.sync();
        std::printf("watching\n");
        std::fflush(stdout);
        // Windows mapped before the watch began.
        const xcb_window_t root = connection_.defaultRoot();
        const auto topLevels = x11::childrenOf(connection_, std::span(&root, 1));
        for (const xcb_window_t window : topLevels.front()) {
            const auto cookie = xcb_get_window_attributes(connection_.get(), window);
            const x11::Reply<xcb_get_window_attributes_reply_t> attributes{
                xcb_get_window_attributes_reply(connection_.get(), cookie, nullptr)};
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !consider(window))
                return 0;
        }
        while (const x11::Reply<xcb_generic_event_t> event{xcb_wait_for_event(connection_.get())}) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY
                && !consider(reinterpret_cast<const xcb_map_notify_event_t&>(*event).window))
                return 0;
        }
        return 1;
    }

private:
    // False once the last window wanted has been closed.
    bool consider(xcb_window_t window)
    {
        if (closed_.contains(window))
            return true;
        const auto pid = x11::readProperty32(connection_, std::span(&window, 1), atoms_.netWmPid, XCB_ATOM_CARDINAL);
        if (!pid.front() || pid.front()->empty() || pid.front()->front() != pid_)
            return true;
        closed_.insert(window);
        std::printf("closed %s\n", title(connection_, window, atoms_).c_str());
        std::fflush(stdout);
        askToClose(connection_, window, atoms_);
        return --left_ > 0;
    }

    const x11::Connection& connection_;
    std::uint32_t pid_;
    unsigned left_;
    Atoms atoms_{};
    std::set<xcb_window_t> closed_;
};

} // namespace

int main(int argc, char** argv)
{
    const auto pid = argc >= 2 ? parseNumber(argv[1]) : std::nullopt;
    const auto count = argc >= 3 ? parseNumber(argv[2]) : std::optional<unsigned>(1);
    if (!pid || !count || argc > 3) {
        std::fprintf(stderr, "usage: quillbrook-test-close-windows PID [COUNT]\n");
        return 2;
    }
    const auto connection = x11::Connection::open();
    if (!connection) {
        std::fprintf(stderr, "quillbrook-test-close-windows: no X display\n");
        return 1;
    }
    return Closer(*connection, *pid, *count).run();
}
