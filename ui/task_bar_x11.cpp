// task_bar_x11.cpp: keeps the window off the task bar of an X11 desktop (the EWMH skip-taskbar
// state).
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>

#include "ui/task_bar.h"

namespace quillbrook {

namespace {

struct FreeDeleter {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const auto cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// A window not yet mapped carries its wish in its own property, which the window manager reads when
// the window is mapped; Qt keeps states it did not set itself when it adds its own.
bool AddStateBeforeMap(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state,
                       xcb_atom_t skipTaskBar) {
  const auto cookie = xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
  const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
  std::vector<xcb_atom_t> atoms;
  if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
    const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    atoms.assign(values, values + xcb_get_property_value_length(reply.get()) / 4);
  }
  for (const xcb_atom_t atom : atoms) {
    if (atom == skipTaskBar) {
      return true;
    }
  }
  atoms.push_back(skipTaskBar);
  const auto change =
      xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM,
                                  32, static_cast<uint32_t>(atoms.size()), atoms.data());
  const Reply<xcb_generic_error_t> error(xcb_request_check(connection, change));
  return !error;
}

}  // namespace

bool KeepOffTaskBar(QWidget& window) {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr) {
    // Another platform on Linux (offscreen, Wayland): the tool type is all that can be said.
    return true;
  }
  xcb_connection_t* connection = x11->connection();
  if (connection == nullptr || !window.isWindow()) {
    return false;
  }
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
  const xcb_atom_t skipTaskBar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skipTaskBar == XCB_ATOM_NONE) {
    return false;
  }
  return AddStateBeforeMap(connection, id, state, skipTaskBar);
}

}  // namespace quillbrook
