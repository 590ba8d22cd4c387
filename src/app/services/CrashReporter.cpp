#include "app/services/CrashReporter.h"

namespace quillmark {

CrashReporter& CrashReporter::shared() {
    static CrashReporter instance;
    return instance;
}

void CrashReporter::startIfConsented(bool /*consent*/) {}

void CrashReporter::stop() { started_ = false; }

}  // namespace quillmark
