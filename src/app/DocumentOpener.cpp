#include "app/DocumentOpener.h"

#include "app/dialogs/NoticeDialog.h"
#include "log/SystemLog.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillmark {

namespace {

QString refusedMessage(const QString& name, const QString& path) {
    return QStringLiteral("%1 is a PDF file, and no application on this desktop is set up to open one. Any PDF "
                          "viewer can show it; the file is here:\n\n%2")
        .arg(name, path);
}

}  // namespace

bool DocumentOpener::open(const ResourceBundle& bundle, const QString& name, HUDAppearance appearance) {
    const auto path = bundle.url(name, QStringLiteral("pdf"));
    if (!path) return false;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(*path))) return true;
    SystemLog::write("Quillmark: no application opened " + path->toStdString());
    // Without a word the menu item would seem to do nothing; with the path the user can open it another way.
    NoticeDialog::run(QStringLiteral("The document could not be opened"), refusedMessage(name, *path), appearance);
    return false;
}

}  // namespace quillmark
