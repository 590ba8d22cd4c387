#include "app/preferences/kit/VellLabelField.h"

#include "app/preferences/kit/KitLook.h"

namespace quillmark {

VellLabelField::VellLabelField(const QString& prompt, double width, QWidget* parent)
    : VellTextField(prompt, width, KitLook::bodyFont(12), Qt::AlignLeft, parent) {}

}  // namespace quillmark
