#pragma once

#include "app/dialogs/DialogButtonStyle.h"

namespace quillmark {

// The cancelling button: transparent with a 1-point border; text and border turn to the accent while
// the pointer is over it, a bgHeader fill while pressed, a shadow in the border colour.
class DialogSecondaryButtonStyle final : public DialogButtonStyle {
public:
    Look look(bool hovering, bool pressed, bool dark) const override;
};

}  // namespace quillmark
