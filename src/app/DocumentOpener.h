#pragma once

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

    // Hands `name`.pdf of `bundle` to the desktop. A document the bundle lacks is ignored silently;
    // one the desktop cannot open is logged. Returns whether the desktop took it.
    static bool open(const ResourceBundle& bundle, const QString& name);

    DocumentOpener() = delete;
};

}  // namespace quillmark
