#pragma once

#include <QUrl>

namespace quillmark {

// Where the updater may fetch from: HTTPS only; plain HTTP to this machine's loopback is allowed so
// that tests can serve feeds and downloads locally.
class UpdateUrlPolicy {
public:
    static bool isAllowed(const QUrl& url);

    UpdateUrlPolicy() = delete;
};

}  // namespace quillmark
