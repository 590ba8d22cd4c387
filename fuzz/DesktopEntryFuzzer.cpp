// The autostart entry reader: any bytes give an entry or nothing, and a status; the entry this program
// writes reads back as this program's, whatever its path.
#include "FuzzCheck.h"
#include "platform/autostart/DesktopEntry.h"
#include "platform/autostart/DesktopExec.h"
#include "platform/autostart/XdgLoginItemService.h"

#include <cstdint>
#include <string>

using namespace quillmark;
using quillmark::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto entry = DesktopEntry::parse(bytes)) {
        for (const char* key : {"Type", "Exec", "Name", "Hidden", "X-GNOME-Autostart-enabled"}) {
            (void)entry->boolean(key);
            if (const auto value = entry->string(key)) (void)DesktopExec::arguments(*value);
        }
    }
    (void)XdgLoginItemService::statusOf(bytes, [](const std::string&) { return true; });

    check(DesktopEntry::unescape(DesktopEntry::escape(bytes)) == bytes, "an escaped value unescapes to itself");

    // The input as a program's path: what registering writes must read back as enabled for that path.
    std::string program = "/" + std::string(bytes);
    if (program.find('\0') != std::string::npos) return 0;  // no file system path holds a NUL
    const auto status = XdgLoginItemService::statusOf(XdgLoginItemService::entryText(program),
                                                      [&](const std::string& path) { return path == program; });
    check(status == LoginItemService::Status::enabled, "the entry written for a program reads back as enabled");
    return 0;
}
