#pragma once

#include "app/preferences/kit/VellTextField.h"

namespace quillmark {

// A text field for names: the body face, left-aligned; Return does nothing.
class VellLabelField : public VellTextField {
public:
    VellLabelField(const QString& prompt, double width, QWidget* parent = nullptr);
};

}  // namespace quillmark
