#include "app/preferences/kit/VellNumericField.h"

#include "app/preferences/kit/KitLook.h"

#include <QLineEdit>

namespace quillmark {

VellNumericField::VellNumericField(const QString& prompt, double width, QWidget* parent)
    : VellTextField(prompt, width, KitLook::monoFont(12), Qt::AlignRight, parent) {
    // returnPressed and not editingFinished: the latter also fires when the focus leaves.
    connect(&lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (onSubmit) onSubmit();
    });
}

}  // namespace quillmark
