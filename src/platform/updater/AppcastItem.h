#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmark {

// One release of an appcast feed, as the feed states it. Only items for this platform are kept.
struct AppcastItem {
    struct Enclosure {
        std::string url;
        std::optional<std::int64_t> length;  // bytes, when the feed gives a valid one
        std::string type;
        std::string edSignature;  // base64 Ed25519 signature of the whole file
        std::string os;
    };

    std::string title;
    std::string pubDate;
    std::string version;             // compared with this build's CFBundleVersion
    std::string shortVersionString;  // shown to the user only
    std::string releaseNotesLink;
    std::string minimumSystemVersion;  // read, not used on this platform
    std::string link;                  // the item's web page
    bool informationalUpdate = false;
    bool criticalUpdate = false;
    Enclosure enclosure;

    // What the user is shown as this release's version.
    const std::string& displayVersion() const { return shortVersionString.empty() ? version : shortVersionString; }
    // Where an informational update sends the user: its page, else its enclosure.
    const std::string& informationLink() const { return link.empty() ? enclosure.url : link; }
};

}  // namespace quillmark
