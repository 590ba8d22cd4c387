#include "app/dialogs/DialogPrimaryButtonStyle.h"

#include "app/look/HUDTokens.h"

namespace quillmark {

DialogButtonStyle::Look DialogPrimaryButtonStyle::look(bool, bool pressed, bool dark) const {
    Look look;
    look.tracking = 0.6;
    look.text = HUDTokens::resolve(HUDTokens::bg, dark);
    look.background = HUDTokens::resolve(HUDTokens::accent, dark);
    look.shadow = HUDTokens::resolve(HUDTokens::accentDim, dark);
    look.opacity = pressed ? 0.88 : 1.0;
    return look;
}

}  // namespace quillmark
