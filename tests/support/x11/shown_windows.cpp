#include "support/x11/shown_windows.h"

#include <optional>

namespace quillbrook::testing {

namespace {

std::vector<xcb_window_t> viewableAmong(const x11::Connection& connection, const std::vector<xcb_window_t>& windows)
{
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (const xcb_window_t window : windows)
        cookies.push_back(xcb_get_window_attributes(connection.get(), window));
    std::vector<xcb_window_t> viewable;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        const x11::Reply<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(connection.get(), cookies[i], &error));
        const x11::Reply<xcb_generic_error_t> ownedError(error);
        if (reply && reply->map_state == XCB_MAP_STATE_VIEWABLE)
            viewable.push_back(windows[i]);
    }
    return viewable;
}

} // namespace

std::vector<ShownWindow> shownWindows(const x11::Connection& connection)
{
    std::vector<xcb_window_t> topLevels;
    const auto roots = connection.roots();
    for (const auto& children : x11::childrenOf(connection, roots))
        topLevels.insert(topLevels.end(), children.begin(), children.end());
    const std::vector<xcb_window_t> viewable = viewableAmong(connection, topLevels);

    const auto atoms = connection.atoms({"_NET_WM_PID", "_NET_WM_NAME", "UTF8_STRING"}, false);
    const auto pids = x11::readProperty32(connection, viewable, atoms[0], XCB_ATOM_CARDINAL);
    const auto titles = x11::readStringProperty(connection, viewable, atoms[1], atoms[2]);
    // A window without _NET_WM_NAME has its title in WM_NAME, in Latin-1 or compound text; the
    // tests look for ASCII in it.
    const auto oldTitles = x11::readStringProperty(connection, viewable, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    std::vector<ShownWindow> shown;
    for (std::size_t i = 0; i < viewable.size(); ++i) {
        ShownWindow window;
        window.id = viewable[i];
        if (pids[i] && !pids[i]->empty())
            window.process = static_cast<pid_t>(pids[i]->front());
        window.title = titles[i].value_or(oldTitles[i].value_or(std::string()));
        shown.push_back(std::move(window));
    }
    return shown;
}

std::vector<ShownWindow> shownWindowsOf(const x11::Connection& connection, pid_t process)
{
    std::vector<ShownWindow> shown = shownWindows(connection);
    std::erase_if(shown, [process](const ShownWindow& window) { return window.process != process; });
    return shown;
}

} // namespace quillbrook::testing
