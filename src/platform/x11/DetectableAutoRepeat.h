#pragma once

#include <xcb/xcb.h>

namespace quillmark {

// Asks the server (XKB) to report a held key as repeated presses and one release, instead of
// release/press pairs. The flag belongs to the connection. Returns whether the server agreed.
bool enableDetectableAutoRepeat(xcb_connection_t* connection);

}  // namespace quillmark
