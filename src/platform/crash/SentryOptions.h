#pragma once

#include "platform/crash/SentryBreadcrumb.h"
#include "platform/crash/SentryEvent.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillmark {

// What SentrySDK::start is configured with. The hooks see every event before it is sent and every
// breadcrumb before it is kept; what they return is what goes on (nothing drops it).
struct SentryOptions {
    using BeforeSend = std::function<std::shared_ptr<SentryEvent>(std::shared_ptr<SentryEvent>)>;
    using BeforeBreadcrumb = std::function<std::shared_ptr<SentryBreadcrumb>(std::shared_ptr<SentryBreadcrumb>)>;

    std::optional<std::string> dsn;
    std::optional<std::string> environment;
    std::optional<std::string> releaseName;
    bool attachStacktrace = false;
    std::optional<double> tracesSampleRate;
    bool enableAutoSessionTracking = true;
    bool enableSwizzling = true;
    BeforeSend beforeSend;
    BeforeBreadcrumb beforeBreadcrumb;
};

}  // namespace quillmark
