#include "platform/editor_windows.h"

#include "platform/x11_connection.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillbrook {

namespace {

struct Atoms {
    xcb_atom_t netWmPid;
    xcb_atom_t wmProtocols;
    xcb_atom_t wmDeleteWindow;
    xcb_atom_t wmState;
    xcb_atom_t netClientList;
    xcb_atom_t wmClass;
};

Atoms lookUpAtoms(const x11::Connection& connection)
{
    const auto found =
        connection.atoms({"_NET_WM_PID", "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_STATE", "_NET_CLIENT_LIST"}, true);
    return {found[0], found[1], found[2], found[3], found[4], XCB_ATOM_WM_CLASS};
}

// Terminal emulators by the instance or class name of their windows, in lower case: the ones
// Debian packages and the common others.
constexpr std::string_view kTerminalClasses[] = {
    "xterm",
    "uxterm",
    "lxterm",
    "kterm",
    "urxvt",
    "rxvt",
    "aterm",
    "mrxvt",
    "eterm",
    "gnome-terminal",
    "gnome-terminal-server",
    "org.gnome.console",
    "kgx",
    "org.gnome.ptyxis",
    "mate-terminal",
    "xfce4-terminal",
    "lxterminal",
    "qterminal",
    "konsole",
    "yakuake",
    "alacritty",
    "kitty",
    "terminator",
    "tilix",
    "com.gexperts.tilix",
    "terminology",
    "st",
    "st-256color",
    "sakura",
    "termite",
    "roxterm",
    "guake",
    "tilda",
    "cool-retro-term",
    "org.wezfurlong.wezterm",
    "wezterm",
    "deepin-terminal",
    "foot",
    "footclient",
    "x-terminal-emulator",
};

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// For each window directly below the root, the client window it stands for: itself when it
// carries WM_STATE or when no window manager has marked any window, else the first window below
// it, breadth first, that carries WM_STATE (a reparenting window manager's frame holds the client
// somewhere inside). One batch of requests per level of all the trees together.
std::vector<xcb_window_t> clientsOf(const x11::Connection& connection, const std::vector<xcb_window_t>& topLevels,
                                    xcb_atom_t wmState)
{
    std::vector<xcb_window_t> clients = topLevels;
    if (wmState == XCB_ATOM_NONE)
        return clients;
    std::vector<bool> resolved(topLevels.size(), false);
    std::vector<std::size_t> owners(topLevels.size());
    for (std::size_t i = 0; i < owners.size(); ++i)
        owners[i] = i;
    std::vector<xcb_window_t> level = topLevels;
    while (!level.empty()) {
        const auto states = x11::readProperty32(connection, level, wmState, wmState);
        for (std::size_t i = 0; i < level.size(); ++i) {
            if (states[i] && !resolved[owners[i]]) {
                clients[owners[i]] = level[i];
                resolved[owners[i]] = true;
            }
        }
        std::vector<xcb_window_t> parents;
        std::vector<std::size_t> parentOwners;
        for (std::size_t i = 0; i < level.size(); ++i) {
            if (!resolved[owners[i]]) {
                parents.push_back(level[i]);
                parentOwners.push_back(owners[i]);
            }
        }
        const auto children = x11::childrenOf(connection, parents);
        level.clear();
        owners.clear();
        for (std::size_t i = 0; i < parents.size(); ++i) {
            level.insert(level.end(), children[i].begin(), children[i].end());
            owners.insert(owners.end(), children[i].size(), parentOwners[i]);
        }
    }
    return clients;
}

// The top-level client windows of one screen, in a stable order: the window manager's client
// list when one runs, else the root's children in stacking order, bottom first.
std::vector<xcb_window_t> topLevelClients(const x11::Connection& connection, xcb_window_t root, const Atoms& atoms)
{
    const std::span<const xcb_window_t> roots(&root, 1);
    if (atoms.netClientList != XCB_ATOM_NONE) {
        auto list = x11::readProperty32(connection, roots, atoms.netClientList, XCB_ATOM_WINDOW);
        if (list.front())
            return std::move(*list.front());
    }
    return clientsOf(connection, x11::childrenOf(connection, roots).front(), atoms.wmState);
}

void askToClose(const x11::Connection& connection, xcb_window_t window, const Atoms& atoms)
{
    x11::sendDeleteWindow(connection, window, atoms.wmProtocols, atoms.wmDeleteWindow);
}

bool contains(const x11::Property32& values, std::uint32_t value)
{
    return values && std::find(values->begin(), values->end(), value) != values->end();
}

} // namespace

bool isTerminalWindowClass(std::string_view wmClass)
{
    while (!wmClass.empty()) {
        const std::size_t end = std::min(wmClass.find('\0'), wmClass.size());
        const std::string name = lowerCase(wmClass.substr(0, end));
        if (std::find(std::begin(kTerminalClasses), std::end(kTerminalClasses), name) != std::end(kTerminalClasses))
            return true;
        wmClass.remove_prefix(std::min(end + 1, wmClass.size()));
    }
    return false;
}

EditorWindowsAsked closeEditorWindows(pid_t editorProcess)
{
    if (editorProcess <= 0)
        return {};
    const auto connection = x11::Connection::open();
    if (!connection)
        return {};
    const Atoms atoms = lookUpAtoms(*connection);
    // Atoms nobody has interned yet cannot be on any window, so there is nothing to ask.
    if (atoms.netWmPid == XCB_ATOM_NONE || atoms.wmProtocols == XCB_ATOM_NONE || atoms.wmDeleteWindow == XCB_ATOM_NONE)
        return {};

    std::vector<xcb_window_t> candidates;
    for (const auto root : connection->roots()) {
        const auto clients = topLevelClients(*connection, root, atoms);
        candidates.insert(candidates.end(), clients.begin(), clients.end());
    }
    const auto pids = x11::readProperty32(*connection, candidates, atoms.netWmPid, XCB_ATOM_CARDINAL);
    std::vector<xcb_window_t> editorWindows;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (pids[i] && !pids[i]->empty() && pids[i]->front() == static_cast<std::uint32_t>(editorProcess))
            editorWindows.push_back(candidates[i]);
    }

    const auto protocols = x11::readProperty32(*connection, editorWindows, atoms.wmProtocols, XCB_ATOM_ATOM);
    const auto classes = x11::readStringProperty(*connection, editorWindows, atoms.wmClass);
    EditorWindowsAsked result;
    for (std::size_t i = 0; i < editorWindows.size(); ++i) {
        if (classes[i] && isTerminalWindowClass(*classes[i])) {
            ++result.terminalsLeftOpen;
        } else if (contains(protocols[i], atoms.wmDeleteWindow)) {
            askToClose(*connection, editorWindows[i], atoms);
            ++result.asked;
        }
    }
    connection->sync();
    return result;
}

std::uint32_t foregroundWindow()
{
    const auto connection = x11::Connection::open();
    if (!connection)
        return 0;
    const auto activeWindow = connection->atoms({"_NET_ACTIVE_WINDOW"}, true).front();
    if (activeWindow == XCB_ATOM_NONE)
        return 0;
    const xcb_window_t root = connection->defaultRoot();
    const auto active = x11::readProperty32(*connection, {&root, 1}, activeWindow, XCB_ATOM_WINDOW).front();
    return active && !active->empty() ? active->front() : 0;
}

} // namespace quillbrook
