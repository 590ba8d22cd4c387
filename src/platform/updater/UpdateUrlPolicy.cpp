#include "platform/updater/UpdateUrlPolicy.h"

#include <QHostAddress>

namespace quillmark {

bool UpdateUrlPolicy::isAllowed(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return true;
    if (scheme != QLatin1String("http")) return false;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

}  // namespace quillmark
