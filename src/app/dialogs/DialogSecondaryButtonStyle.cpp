#include "app/dialogs/DialogSecondaryButtonStyle.h"

#include "app/look/HUDTokens.h"

namespace quillmark {

DialogButtonStyle::Look DialogSecondaryButtonStyle::look(bool hovering, bool pressed, bool dark) const {
    Look look;
    look.tracking = 0.5;
    look.text = HUDTokens::resolve(hovering ? HUDTokens::accent : HUDTokens::fg, dark);
    if (pressed) look.background = HUDTokens::resolve(HUDTokens::bgHeader, dark);
    look.border = HUDTokens::resolve(hovering ? HUDTokens::accentDim : HUDTokens::border, dark);
    look.shadow = HUDTokens::resolve(HUDTokens::border, dark);
    return look;
}

}  // namespace quillmark
