#include "platform/x11_connection.h"

#include <utility>

namespace quillbrook::x11 {

namespace {

// More 32-bit items than any property the system reads can hold (a client list of 64k windows).
constexpr std::uint32_t maxPropertyItems = 1u << 16;

} // namespace

std::optional<Connection> Connection::open(const char* display)
{
    int screen = 0;
    // xcb_connect never returns null: a failed connection is an object in an error state that
    // still has to be disconnected.
    std::unique_ptr<xcb_connection_t, Disconnect> connection(xcb_connect(display, &screen));
    if (!connection || xcb_connection_has_error(connection.get()))
        return std::nullopt;
    return Connection(std::move(connection), screen);
}

Connection::Connection(std::unique_ptr<xcb_connection_t, Disconnect> connection, int screen)
    : connection_(std::move(connection)), screen_(screen)
{}

std::vector<xcb_window_t> Connection::roots() const
{
    std::vector<xcb_window_t> result;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(get())); it.rem; xcb_screen_next(&it))
        result.push_back(it.data->root);
    return result;
}

xcb_window_t Connection::defaultRoot() const
{
    const auto all = roots();
    const auto index = static_cast<std::size_t>(screen_);
    return index < all.size() ? all[index] : xcb_window_t{XCB_WINDOW_NONE};
}

std::vector<xcb_atom_t> Connection::atoms(std::initializer_list<std::string_view> names, bool onlyIfExists) const
{
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto name : names)
        cookies.push_back(xcb_intern_atom(get(), onlyIfExists, static_cast<std::uint16_t>(name.size()), name.data()));
    std::vector<xcb_atom_t> result;
    for (const auto cookie : cookies) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(get(), cookie, nullptr));
        result.push_back(reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE});
    }
    return result;
}

void Connection::sync() const
{
    // Any request with a reply will do: replies come back in request order.
    const Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(get(), xcb_get_input_focus(get()), nullptr));
}

std::vector<Property32> readProperty32(const Connection& connection, std::span<const xcb_window_t> windows,
                                       xcb_atom_t property, xcb_atom_t type)
{
    std::vector<xcb_get_property_cookie_t> cookies;
    for (const auto window : windows)
        cookies.push_back(xcb_get_property(connection.get(), false, window, property, type, 0, maxPropertyItems));
    std::vector<Property32> result;
    for (const auto cookie : cookies) {
        // A window destroyed meanwhile answers with an error, which is returned here and dropped.
        xcb_generic_error_t* error = nullptr;
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection.get(), cookie, &error));
        const Reply<xcb_generic_error_t> ownedError(error);
        if (!reply || reply->type != type || reply->format != 32) {
            result.emplace_back();
            continue;
        }
        const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / 4;
        result.emplace_back(std::vector<std::uint32_t>(items, items + count));
    }
    return result;
}

std::vector<std::optional<std::string>> readStringProperty(const Connection& connection,
                                                           std::span<const xcb_window_t> windows, xcb_atom_t property,
                                                           xcb_atom_t type)
{
    std::vector<xcb_get_property_cookie_t> cookies;
    for (const auto window : windows)
        cookies.push_back(xcb_get_property(connection.get(), false, window, property, type, 0, maxPropertyItems));
    std::vector<std::optional<std::string>> result;
    for (const auto cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection.get(), cookie, &error));
        const Reply<xcb_generic_error_t> ownedError(error);
        if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8
            || (type != XCB_GET_PROPERTY_TYPE_ANY && reply->type != type)) {
            result.emplace_back();
            continue;
        }
        const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
        result.emplace_back(std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))));
    }
    return result;
}

void writeProperty32(const Connection& connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                     std::span<const std::uint32_t> values)
{
    xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void sendDeleteWindow(const Connection& connection, xcb_window_t window, xcb_atom_t wmProtocols,
                      xcb_atom_t wmDeleteWindow)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = wmProtocols;
    message.data.data32[0] = wmDeleteWindow;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection.get(), false, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
}

std::vector<std::vector<xcb_window_t>> childrenOf(const Connection& connection, std::span<const xcb_window_t> windows)
{
    std::vector<xcb_query_tree_cookie_t> cookies;
    for (const auto window : windows)
        cookies.push_back(xcb_query_tree(connection.get(), window));
    std::vector<std::vector<xcb_window_t>> result;
    for (const auto cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        const Reply<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(connection.get(), cookie, &error));
        const Reply<xcb_generic_error_t> ownedError(error);
        auto& children = result.emplace_back();
        if (reply) {
            const auto* first = xcb_query_tree_children(reply.get());
            children.assign(first, first + xcb_query_tree_children_length(reply.get()));
        }
    }
    return result;
}

} // namespace quillbrook::x11
