#pragma once

#include <optional>
#include <string>

namespace quillmark {

// One saved monitor level, offered under its label.
struct ReferenceLevel {
    std::string label;
    std::optional<double> level;  // dB; empty means "not set"

    friend bool operator==(const ReferenceLevel&, const ReferenceLevel&) = default;
};

}  // namespace quillmark
