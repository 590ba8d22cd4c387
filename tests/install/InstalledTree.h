#pragma once

#include <filesystem>
#include <string>

namespace quillmark::testing {

// This build installed (stripped) into a prefix under a fresh temporary directory, as `cmake --install`
// puts it for a user; removed with the object. The prefix can be moved, as a user may move an install.
class InstalledTree {
public:
    // Installs into <temporary>/a; ok() tells whether that worked, output() what the install said.
    InstalledTree();
    ~InstalledTree();
    InstalledTree(const InstalledTree&) = delete;
    InstalledTree& operator=(const InstalledTree&) = delete;

    bool ok() const { return ok_; }
    const std::string& output() const { return output_; }
    const std::filesystem::path& prefix() const { return prefix_; }
    const std::filesystem::path& temporary() const { return temporary_; }

    // Moves the prefix to <temporary>/<name>; returns whether it moved.
    bool moveTo(const std::string& name);

    // The build tree being installed (the tests' QUILLMARK_BINARY_DIR) and its sources.
    static std::filesystem::path buildDirectory();
    static std::filesystem::path sourceDirectory();

private:
    std::filesystem::path temporary_;
    std::filesystem::path prefix_;
    std::string output_;
    bool ok_ = false;
};

}  // namespace quillmark::testing
