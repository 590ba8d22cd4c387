#pragma once

#include "platform/windows/WindowStateHints.h"

namespace quillmark {

// Where there is no X display (offscreen, a Wayland-native session): no window manager to tell.
class NullWindowStateHints final : public WindowStateHints {};

}  // namespace quillmark
