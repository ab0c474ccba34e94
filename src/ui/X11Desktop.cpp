#include "X11Desktop.h"

#include <QGuiApplication>
#include <memory>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace lullwick {
namespace {

xcb_connection_t* connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&free)>;

template <typename Reply> Owned<Reply> own(Reply* reply) {
    return Owned<Reply>(reply, &free);
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// XCB_ATOM_NONE when no client ever named it: then no window manager or selection uses it.
xcb_atom_t existingAtom(xcb_connection_t* c, const char* name) {
    const auto reply = own(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

std::optional<bool> X11Desktop::compositorRunning() {
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    // A compositing manager owns the selection _NET_WM_CM_S<screen> (EWMH).
    const xcb_atom_t selection = existingAtom(c, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
    const auto owner =
        own(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void X11Desktop::requestActivation(quint32 window) {
    xcb_connection_t* c = connection();
    const xcb_atom_t active = c ? existingAtom(c, "_NET_ACTIVE_WINDOW") : xcb_atom_t(XCB_ATOM_NONE);
    if (active == XCB_ATOM_NONE || !window)
        return;
    // _NET_ACTIVE_WINDOW: source 2 (a pager, acting for the user), no timestamp.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = active;
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, rootOf(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}

quint32 X11Desktop::inputFocus() {
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    const auto reply = own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // 1 is PointerRoot: the focus follows the pointer, nothing to give back.
    return reply && reply->focus > 1 ? reply->focus : 0;
}

bool X11Desktop::isRoot(quint32 window) {
    xcb_connection_t* c = connection();
    return c && window == rootOf(c);
}

void X11Desktop::giveFocusTo(quint32 window) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    // Setting the focus on a window that is gone or unmapped is an X error.
    const auto attributes =
        own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return;
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(c);
}

std::optional<QRect> X11Desktop::activeWindowFrame() {
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const xcb_atom_t atom = existingAtom(c, "_NET_ACTIVE_WINDOW");
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    const xcb_window_t root = rootOf(c);
    const auto property = own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!property || xcb_get_property_value_length(property.get()) != sizeof(xcb_window_t))
        return std::nullopt;
    const xcb_window_t active = *static_cast<xcb_window_t*>(xcb_get_property_value(property.get()));
    if (active == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto geometry = own(xcb_get_geometry_reply(c, xcb_get_geometry(c, active), nullptr));
    const auto origin = own(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, active, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

void X11Desktop::setInputShape(quint32 window, const QRegion& region) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& r : region) {
        rectangles.push_back({static_cast<int16_t>(r.x()), static_cast<int16_t>(r.y()),
                              static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, static_cast<uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(c);
}

} // namespace lullwick
