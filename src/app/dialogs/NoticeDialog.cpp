#include "app/dialogs/NoticeDialog.h"

#include "app/dialogs/ConsentDialog.h"
#include "app/dialogs/DialogWindow.h"

namespace quillmark {

namespace {

constexpr int kAcknowledged = 1000;

}  // namespace

void NoticeDialog::run(const QString& title, const QString& message, HUDAppearance appearance) {
    DialogWindow window(std::make_unique<DialogPanel>(title, message), ConsentDialog::width);
    DialogButton& ok = window.panel().addButton(DialogButton::primary(QStringLiteral("OK")));
    QObject::connect(&ok, &DialogButton::clicked, &window, [&window] { window.stopModal(kAcknowledged); });
    window.setDefaultButton(&ok);
    window.setCancelButton(&ok);
    window.runModal(appearance);
}

}  // namespace quillmark
