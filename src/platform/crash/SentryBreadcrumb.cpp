#include "platform/crash/SentryBreadcrumb.h"

namespace quillmark {

nlohmann::json SentryBreadcrumb::toJson() const {
    nlohmann::json json{{"type", type}, {"level", level}, {"timestamp", timestamp}};
    if (!category.empty()) json["category"] = category;
    if (message) json["message"] = *message;
    if (data) json["data"] = *data;
    return json;
}

}  // namespace quillmark
