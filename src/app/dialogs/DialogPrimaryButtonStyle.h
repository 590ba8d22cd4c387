#pragma once

#include "app/dialogs/DialogButtonStyle.h"

namespace quillmark {

// The confirming button: accent fill, text in the background colour, a shadow in accentDim while the
// pointer is over it, dimmed to 0.88 while pressed.
class DialogPrimaryButtonStyle final : public DialogButtonStyle {
public:
    Look look(bool hovering, bool pressed, bool dark) const override;
};

}  // namespace quillmark
