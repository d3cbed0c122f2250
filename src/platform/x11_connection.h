// A connection to the X display through xcb, and the few property and atom requests the system
// makes of it. Replies are pipelined: every request of a batch is sent before the first reply is
// awaited, so a batch costs one round trip however many windows it asks about.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook::x11 {

// xcb hands out replies allocated with malloc; the caller frees them.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

class Connection {
public:
    // Connects to `display`, or to $DISPLAY when it is null. Empty when no display is named or
    // the server cannot be reached.
    static std::optional<Connection> open(const char* display = nullptr);

    xcb_connection_t* get() const { return connection_.get(); }
    // The root window of every screen, and that of the screen the display name chose.
    std::vector<xcb_window_t> roots() const;
    xcb_window_t defaultRoot() const;

    // One atom per name, in order. With `onlyIfExists` a name the server has never seen is
    // XCB_ATOM_NONE, which no window can carry as a property, so nothing is created just to
    // look for it.
    std::vector<xcb_atom_t> atoms(std::initializer_list<std::string_view> names, bool onlyIfExists) const;

    // Flushes and returns once the server has processed every request sent so far.
    void sync() const;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };
    Connection(std::unique_ptr<xcb_connection_t, Disconnect> connection, int screen);

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    int screen_ = 0;
};

// A 32-bit property (CARDINAL, WINDOW, ATOM) of each window, in the windows' order. nullopt where
// the window lacks it, has it with another type or format, or no longer exists.
using Property32 = std::optional<std::vector<std::uint32_t>>;
std::vector<Property32> readProperty32(const Connection& connection, std::span<const xcb_window_t> windows,
                                       xcb_atom_t property, xcb_atom_t type);

// An 8-bit text property (WM_CLASS, WM_NAME, _NET_WM_NAME) of each window, in the windows' order,
// with its NUL separators as they are. nullopt where the window lacks it, has it with another
// type than `type` (XCB_GET_PROPERTY_TYPE_ANY takes any) or another format, or no longer exists.
std::vector<std::optional<std::string>> readStringProperty(const Connection& connection,
                                                           std::span<const xcb_window_t> windows, xcb_atom_t property,
                                                           xcb_atom_t type = XCB_ATOM_STRING);

// Replaces a 32-bit property of one window.
void writeProperty32(const Connection& connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                     std::span<const std::uint32_t> values);

// Asks a window to close as a window manager's close button does: WM_PROTOCOLS/WM_DELETE_WINDOW.
// The request is queued; flush or sync the connection to send it.
void sendDeleteWindow(const Connection& connection, xcb_window_t window, xcb_atom_t wmProtocols,
                      xcb_atom_t wmDeleteWindow);

// The children of each window, bottom of the stacking order first; empty for a window gone.
std::vector<std::vector<xcb_window_t>> childrenOf(const Connection& connection, std::span<const xcb_window_t> windows);

} // namespace quillbrook::x11
