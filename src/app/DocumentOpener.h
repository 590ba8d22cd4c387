#pragma once

#include "app/look/HUDAppearance.h"
#include "app/look/ResourceBundle.h"

#include <QString>

namespace quillmark {

// The two PDF documents of the main bundle that the tray menu opens, and the opening itself: the
// desktop's default PDF viewer shows them.
class DocumentOpener {
public:
    static constexpr const char* userGuideName = "Quillmark User Guide";
    // Names the maker: The Quillmark developers.
    static constexpr const char* licenseAgreementName = "Quillmark Developers License";

    // Hands `name`.pdf of `bundle` to the desktop. A document the bundle lacks is ignored silently. One
    // the desktop has no application for is logged, and a notice in the dialogs' look (in `appearance`)
    // tells the user so and where the file is; it returns once the notice is acknowledged. Returns
    // whether the desktop took the document.
    static bool open(const ResourceBundle& bundle, const QString& name, HUDAppearance appearance);

    DocumentOpener() = delete;
};

}  // namespace quillmark
