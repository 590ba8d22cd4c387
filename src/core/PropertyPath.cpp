#include "core/PropertyPath.h"

namespace quillmark {

namespace {
constexpr std::string_view valueSuffix = "/value";
}

std::string PropertyPath::valuePath() const {
    return base_ + std::string(valueSuffix);
}

bool PropertyPath::isValuePath(std::string_view path) const noexcept {
    return path.size() == base_.size() + valueSuffix.size() && path.starts_with(base_) && path.ends_with(valueSuffix);
}

} // namespace quillmark
