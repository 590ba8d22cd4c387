#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>

namespace quillmark {

// One breadcrumb: a short record of something that happened before an event, sent with it.
struct SentryBreadcrumb {
    std::string category;
    std::string type = "default";
    std::string level = "info";
    std::optional<std::string> message;
    std::optional<std::map<std::string, nlohmann::json>> data;
    double timestamp = 0;  // seconds since the epoch; set when added if left at 0

    nlohmann::json toJson() const;
};

}  // namespace quillmark
