#pragma once

#include <string_view>

namespace quillmark {

// Orders version texts by the usual appcast rules: runs of digits compare as numbers, runs of letters
// as text, a number beats letters, and a version that goes on with letters ("1.0b2") is older than one
// that stops ("1.0") while one that goes on with numbers ("1.0.1") is newer.
class VersionComparator {
public:
    // Negative when `a` is older than `b`, zero when they are the same version, positive when newer.
    static int compare(std::string_view a, std::string_view b);

    VersionComparator() = delete;
};

}  // namespace quillmark
