#pragma once

#include <QColor>

namespace quillmark {

// The colours a tray host asks its icons to draw in: the ordinary one, and those for an error, a
// warning and a success.
struct TrayColours {
    QColor foreground;
    QColor error;
    QColor warning;
    QColor success;

    friend bool operator==(const TrayColours&, const TrayColours&) = default;
};

}  // namespace quillmark
