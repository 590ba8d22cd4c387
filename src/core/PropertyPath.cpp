#include "core/PropertyPath.h"

namespace quillmark {

namespace {
constexpr std::string_view kValueSuffix = "/value";
}

std::string PropertyPath::valuePath() const { return base_ + std::string(kValueSuffix); }

bool PropertyPath::isValuePath(std::string_view path) const noexcept {
    return path.size() == base_.size() + kValueSuffix.size() && path.starts_with(base_) && path.ends_with(kValueSuffix);
}

}  // namespace quillmark
