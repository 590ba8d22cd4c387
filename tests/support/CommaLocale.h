#pragma once

#include <string>

namespace quillmark::testing {

// Switches the C and C++ locales of the process to one whose decimal separator is a comma (German),
// compiled for this test with localedef when the machine has none installed; restores "C" afterwards.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // Whether printf-style formatting really writes a comma now; what the tests assert first.
    bool isActive() const;
    // Why it could not be switched on, when it could not.
    const std::string& failure() const { return failure_; }

private:
    std::string failure_;
};

}  // namespace quillmark::testing
