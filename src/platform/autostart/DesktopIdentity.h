#pragma once

#include <string_view>

namespace quillmark {

// How the program names itself to the desktop. The desktop id names the autostart entry, and the
// desktop entry, icon and metainfo the install ships.
struct DesktopIdentity {
    static constexpr std::string_view desktopId = "app.quillmark.Quillmark";
    static constexpr std::string_view name = "Quillmark";
    static constexpr std::string_view comment =
        "Monitor level, mute and dim from the keyboard, with an on-screen display";
    static constexpr std::string_view icon = desktopId;
};

}  // namespace quillmark
