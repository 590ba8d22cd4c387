#include "platform/crash/SentrySDK.h"

namespace quillmark {

void SentrySDK::pauseAppHangTracking() {}

void SentrySDK::resumeAppHangTracking() {}

}  // namespace quillmark
