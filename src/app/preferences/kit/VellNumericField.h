#pragma once

#include "app/preferences/kit/VellTextField.h"

#include <functional>

namespace quillmark {

// A text field for numbers: monospaced, right-aligned; Return submits, losing the focus does not.
// Parsing is the caller's.
class VellNumericField : public VellTextField {
public:
    VellNumericField(const QString& prompt, double width, QWidget* parent = nullptr);

    // Called each time the user presses Return in the field; without it Return does nothing.
    std::function<void()> onSubmit;
};

}  // namespace quillmark
