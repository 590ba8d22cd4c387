#include "InstalledTree.h"

#include "ShellCommand.h"

#include <cstdlib>
#include <system_error>

namespace quillmark::testing {

namespace fs = std::filesystem;

namespace {

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? fs::path(value) : fs::path();
}

}  // namespace

fs::path InstalledTree::buildDirectory() { return fromEnvironment("QUILLMARK_BINARY_DIR"); }

fs::path InstalledTree::sourceDirectory() { return fromEnvironment("QUILLMARK_SOURCE_DIR"); }

InstalledTree::InstalledTree() {
    std::string pattern = (fs::temp_directory_path() / "quillmark-install-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    temporary_ = pattern;
    prefix_ = temporary_ / "a";
    const auto install = ShellCommand::run(
        {QUILLMARK_CMAKE_COMMAND, "--install", buildDirectory().string(), "--prefix", prefix_.string(), "--strip"});
    output_ = install.output;
    ok_ = install.exitCode == 0;
}

InstalledTree::~InstalledTree() {
    std::error_code ignored;
    if (!temporary_.empty()) fs::remove_all(temporary_, ignored);
}

bool InstalledTree::moveTo(const std::string& name) {
    std::error_code error;
    const fs::path target = temporary_ / name;
    fs::rename(prefix_, target, error);
    if (error) return false;
    prefix_ = target;
    return true;
}

}  // namespace quillmark::testing
