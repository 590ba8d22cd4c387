#include "app/DocumentOpener.h"

#include "log/SystemLog.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillmark {

bool DocumentOpener::open(const ResourceBundle& bundle, const QString& name) {
    const auto path = bundle.url(name, QStringLiteral("pdf"));
    if (!path) return false;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(*path))) return true;
    SystemLog::write("Quillmark: no application opened " + path->toStdString());
    return false;
}

}  // namespace quillmark
