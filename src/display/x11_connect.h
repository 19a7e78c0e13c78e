#pragma once

#include <string>

struct xcb_connection_t;
struct xcb_screen_t;

namespace chronivo {

// xcb_connect(display, screen), except that an X server's reason for refusing us (a missing
// cookie, too many clients) goes into `refusal` instead of onto standard error, where libxcb
// writes it as a line of its own. `refusal` is empty when the server gave none. Meant for start-up,
// while no other thread writes to standard error; the connection is xcb_connect's, to be checked
// with xcb_connection_has_error and disconnected in any case.
xcb_connection_t* ConnectX11(const char* display, int* screen, std::string* refusal);

// Screen `number` (as ConnectX11 gives it) of a connection, or null when the server has no such
// screen or the connection has failed.
xcb_screen_t* X11Screen(xcb_connection_t* connection, int number);

} // namespace chronivo
