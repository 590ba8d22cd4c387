#include "CommaLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <stdexcept>

// glibc keeps the LOCPATH search list it builds in setlocale for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace quillmark::testing {

namespace {

constexpr const char* kName = "de_DE.UTF-8";

// Compiles the locale once per process into a private directory that LOCPATH then points at.
std::string compiledLocaleDirectory(std::string& failure) {
    static const std::string directory = [&failure]() -> std::string {
        char pattern[] = "/tmp/quillmark-locale-XXXXXX";
        if (!mkdtemp(pattern)) return {};
        const std::string dir = pattern;
        const std::string command = "localedef -i de_DE -f UTF-8 " + dir + "/" + kName + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            failure = "localedef could not compile de_DE.UTF-8";
            return {};
        }
        return dir;
    }();
    return directory;
}

}  // namespace

CommaLocale::CommaLocale() {
    if (!std::setlocale(LC_ALL, kName)) {
        const std::string dir = compiledLocaleDirectory(failure_);
        if (dir.empty()) return;
        setenv("LOCPATH", dir.c_str(), 1);
        if (!std::setlocale(LC_ALL, kName)) {
            failure_ = "setlocale refused de_DE.UTF-8";
            return;
        }
    }
    try {
        std::locale::global(std::locale(kName));
    } catch (const std::runtime_error& error) {
        failure_ = std::string("std::locale: ") + error.what();
    }
}

CommaLocale::~CommaLocale() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
}

bool CommaLocale::isActive() const {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    return failure_.empty() && std::string(text) == "1,5";
}

}  // namespace quillmark::testing
