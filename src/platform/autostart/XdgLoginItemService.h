#pragma once

#include "platform/autostart/LoginItemService.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillmark {

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<desktop id>.desktop, which
// every desktop that follows the autostart rules runs at login unless Hidden=true or
// X-GNOME-Autostart-enabled=false switches it off.
class XdgLoginItemService final : public LoginItemService {
public:
    // `program`: the absolute path the entry starts. `configHome`: the user's XDG config directory.
    XdgLoginItemService(std::string program, std::string configHome);

    // This program (ProgramIdentity::program(): the AppImage it runs from, else the running executable) in
    // this user's config directory.
    static std::unique_ptr<XdgLoginItemService> forThisProgram();
    // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config (the password database's home
    // when HOME is unset).
    static std::string configHomeFromEnvironment();
    // The AppImage this process really runs from (ProgramIdentity), else the running executable with a
    // " (deleted)" left by an update removed. An $APPIMAGE inherited from another program is ignored.
    static std::string programFromEnvironment();

    // The complete entry that starts `program`.
    static std::string entryText(std::string_view program);
    // What an entry's bytes say; `isThisProgram` decides whether the program it starts is ours.
    static Status statusOf(std::string_view bytes, const std::function<bool(const std::string&)>& isThisProgram);

    const std::string& entryPath() const { return entryPath_; }

    Status status() const override;
    Failure registerItem() override;
    Failure unregisterItem() override;

private:
    bool isThisProgram(const std::string& path) const;

    std::string program_;
    std::string directory_;
    std::string entryPath_;
};

}  // namespace quillmark
