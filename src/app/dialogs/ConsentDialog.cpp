#include "app/dialogs/ConsentDialog.h"

#include "app/dialogs/DialogWindow.h"

namespace quillmark {

bool ConsentDialog::run(const QString& title, const QString& message, const QString& confirm, const QString& cancel,
                        HUDAppearance appearance) {
    DialogWindow window(std::make_unique<DialogPanel>(title, message), width);
    DialogButton& cancelButton = window.panel().addButton(DialogButton::secondary(cancel));
    DialogButton& confirmButton = window.panel().addButton(DialogButton::primary(confirm));
    QObject::connect(&cancelButton, &DialogButton::clicked, &window, [&window] { window.stopModal(cancelCode); });
    QObject::connect(&confirmButton, &DialogButton::clicked, &window, [&window] { window.stopModal(confirmCode); });
    window.setCancelButton(&cancelButton);
    window.setDefaultButton(&confirmButton);
    return window.runModal(appearance) == confirmCode;
}

}  // namespace quillmark
