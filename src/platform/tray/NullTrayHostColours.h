#pragma once

#include "platform/tray/TrayHostColours.h"

namespace quillmark {

// Where no tray host can be asked (offscreen, a Wayland-native session, no X display to open).
class NullTrayHostColours final : public TrayHostColours {
public:
    std::optional<TrayColours> colours() const override { return std::nullopt; }
    void setListener(std::function<void()>) override {}
};

}  // namespace quillmark
