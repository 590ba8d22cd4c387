#pragma once

#include "platform/updater/AppcastItem.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// Reads an appcast: RSS 2.0 with the sparkle namespace. Keeps the items whose enclosure is for Linux;
// refuses a feed that declares a document type or is larger than maxFeedBytes.
class AppcastParser {
public:
    static constexpr qsizetype maxFeedBytes = 1 << 20;

    struct Result {
        std::vector<AppcastItem> items;    // in feed order
        std::optional<std::string> error;  // why the feed was refused; no items then
    };

    static Result parse(const QByteArray& feed);

    AppcastParser() = delete;
};

}  // namespace quillmark
