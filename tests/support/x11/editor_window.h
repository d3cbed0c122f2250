// A top-level window as a desktop editor shows one, for the stand-in editors of the tests.
#pragma once

#include "platform/x11_connection.h"

#include <string>
#include <string_view>
#include <unistd.h>

namespace quillbrook::testing {

// Creates and maps a window titled `title` that carries this process's id in _NET_WM_PID and,
// unless `wmDeleteWindow` is XCB_ATOM_NONE, takes part in WM_DELETE_WINDOW through
// `wmProtocols`; a non-empty `wmClass` names both its instance and class in WM_CLASS. Structure
// notifications (its mapping) are selected; the caller flushes.
inline xcb_window_t openEditorWindow(const x11::Connection& connection, std::string_view title, xcb_atom_t netWmPid,
                                     xcb_atom_t wmProtocols, xcb_atom_t wmDeleteWindow, std::string_view wmClass = {})
{
    const xcb_window_t window = xcb_generate_id(connection.get());
    const std::uint32_t events[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection.get(), XCB_COPY_FROM_PARENT, window, connection.defaultRoot(), 0, 0, 160, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, events);
    xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    if (!wmClass.empty()) {
        std::string value(wmClass);
        value.append(1, '\0').append(wmClass).append(1, '\0');
        xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(value.size()), value.data());
    }
    const std::uint32_t pid[] = {static_cast<std::uint32_t>(getpid())};
    x11::writeProperty32(connection, window, netWmPid, XCB_ATOM_CARDINAL, pid);
    if (wmDeleteWindow != XCB_ATOM_NONE) {
        const std::uint32_t protocols[] = {wmDeleteWindow};
        x11::writeProperty32(connection, window, wmProtocols, XCB_ATOM_ATOM, protocols);
    }
    xcb_map_window(connection.get(), window);
    return window;
}

} // namespace quillbrook::testing
