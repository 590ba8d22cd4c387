#include "platform/autostart/DesktopEntry.h"

namespace quillmark {
namespace {

constexpr std::string_view kMainGroup = "Desktop Entry";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmedFront(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view trimmedBack(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The next line without its terminator; a carriage return before the line feed belongs to the terminator.
std::string_view takeLine(std::string_view& bytes) {
    const auto end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A group header's name, or nothing when the line is not a well-formed header.
std::optional<std::string_view> groupName(std::string_view line) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') return std::nullopt;
    const std::string_view name = line.substr(1, line.size() - 2);
    for (const char c : name) {
        if (c == '[' || c == ']' || static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    }
    return name;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view bytes) {
    DesktopEntry entry;
    bool inAnyGroup = false;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    while (!bytes.empty()) {
        const std::string_view line = trimmedFront(takeLine(bytes));
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const auto name = groupName(trimmedBack(line));
            if (!name) return std::nullopt;
            inAnyGroup = true;
            inMainGroup = *name == kMainGroup;
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || !inAnyGroup) return std::nullopt;
        const std::string_view key = trimmedBack(line.substr(0, equals));
        if (key.empty()) return std::nullopt;
        if (inMainGroup) entry.values_[std::string(key)] = std::string(trimmedFront(line.substr(equals + 1)));
    }
    if (!sawMainGroup) return std::nullopt;
    return entry;
}

std::optional<std::string> DesktopEntry::string(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return unescape(found->second);
}

std::optional<bool> DesktopEntry::boolean(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    const std::string_view value = trimmedBack(found->second);
    if (value == "true" || value == "1") return true;
    if (value == "false" || value == "0") return false;
    return std::nullopt;
}

std::string DesktopEntry::escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        case ' ': escaped += i == 0 ? "\\s" : " "; break;
        default: escaped += text[i];
        }
    }
    return escaped;
}

std::string DesktopEntry::unescape(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[i + 1]) {
        case 's': text += ' '; break;
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case '\\': text += '\\'; break;
        default: text += value.substr(i, 2);
        }
        ++i;
    }
    return text;
}

}  // namespace quillmark
