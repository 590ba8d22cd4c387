#pragma once

#include <QColor>

#include <optional>

namespace quillmark {

// How a dialog button looks in one state; DialogPrimaryButtonStyle and DialogSecondaryButtonStyle are
// the two looks. Every button sets its label upper case in "IsolationGrotesque-Regular" 11 with 12
// points of inset left and right, 28 points high, with square corners and no platform bezel.
class DialogButtonStyle {
public:
    static constexpr double fontPoints = 11;
    static constexpr double horizontalInset = 12;
    static constexpr double height = 28;

    // The colours and measures of one state, resolved for a light or dark window.
    struct Look {
        double tracking = 0;
        QColor text;
        std::optional<QColor> background;  // none: transparent
        std::optional<QColor> border;      // 1 point inside the bounds; none: no border
        QColor shadow;                     // the DialogHardShadow's colour
        double opacity = 1;                // of the button and its shadow together
    };

    virtual ~DialogButtonStyle() = default;
    virtual Look look(bool hovering, bool pressed, bool dark) const = 0;
};

}  // namespace quillmark
