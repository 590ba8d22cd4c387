#include "app/settings/SettingsFileScreen.h"

#include "log/SystemLog.h"

#include <QFile>
#include <QSaveFile>

#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

namespace {

constexpr std::string_view kVariantPrefix = "@Variant(";

// Qt's stream type ids whose data has a fixed size: Bool, Int, UInt, LongLong, ULongLong, Double, Float.
constexpr std::array<std::uint32_t, 7> kFixedSizeTypes = {1, 2, 3, 4, 5, 6, 38};

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
bool isOctal(char c) { return c >= '0' && c <= '7'; }
bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// One byte of an escaped value at `at`, or nothing when the escape is one whose meaning is not plain
// (long octal or hex runs, which Qt reads differently): such a value counts as unsafe.
std::optional<std::uint8_t> unescapedByte(std::string_view text, std::size_t& at) {
    if (at >= text.size()) return std::nullopt;
    const char c = text[at++];
    if (c != '\\') return static_cast<std::uint8_t>(c);
    if (at >= text.size()) return std::nullopt;
    const char e = text[at++];
    switch (e) {
    case '0': return (at < text.size() && isOctal(text[at])) ? std::nullopt : std::optional<std::uint8_t>(0);
    case 'a': return 7;
    case 'b': return 8;
    case 't': return 9;
    case 'n': return 10;
    case 'v': return 11;
    case 'f': return 12;
    case 'r': return 13;
    case 'x': {
        std::size_t digits = 0;
        while (at + digits < text.size() && isHex(text[at + digits])) ++digits;
        if (digits == 0 || digits > 2) return std::nullopt;
        const auto value = static_cast<std::uint8_t>(std::stoi(std::string(text.substr(at, digits)), nullptr, 16));
        at += digits;
        return value;
    }
    default: return std::nullopt;
    }
}

// Whether the typed value starting right after "@Variant(" at `at` is one of the fixed-size types.
bool isFixedSizeVariant(std::string_view text, std::size_t at) {
    std::uint32_t type = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = unescapedByte(text, at);
        if (!byte) return false;
        type = (type << 8) | *byte;
    }
    for (const std::uint32_t fixed : kFixedSizeTypes)
        if (type == fixed) return true;
    return false;
}

// Whether a value (the text after '=' of one logical line) holds a typed element that is not safe.
// Every element of a comma list is decoded on its own, so each element's start is checked.
bool holdsUnsafeVariant(std::string_view value) {
    bool quoted = false;
    bool elementStart = true;
    for (std::size_t at = 0; at < value.size();) {
        if (elementStart) {
            // Blanks and escaped line ends (a continued line) come before an element.
            while (at < value.size()) {
                if (value[at] == ' ' || value[at] == '\t' || isLineEnd(value[at])) {
                    ++at;
                } else if (value[at] == '\\' && at + 1 < value.size() && isLineEnd(value[at + 1])) {
                    at += 2;
                } else {
                    break;
                }
            }
            if (at < value.size() && value[at] == '"') {
                quoted = !quoted;
                ++at;
            }
            elementStart = false;
            if (value.substr(at).starts_with(kVariantPrefix) && !isFixedSizeVariant(value, at + kVariantPrefix.size()))
                return true;
            continue;
        }
        const char c = value[at++];
        if (c == '\\') {
            ++at;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            elementStart = true;
        }
    }
    return false;
}

// The end of the logical line starting at `from`: a line end not escaped by a backslash.
std::size_t logicalLineEnd(std::string_view text, std::size_t from) {
    std::size_t at = from;
    while (at < text.size() && !isLineEnd(text[at])) {
        if (text[at] == '\\' && at + 1 < text.size()) {
            ++at;
            // An escaped "\r\n" or "\n\r" continues the line as one break.
            if (at + 1 < text.size() && isLineEnd(text[at + 1]) && text[at + 1] != text[at]) ++at;
        }
        ++at;
    }
    return at;
}

}  // namespace

SettingsFileScreen::Screened SettingsFileScreen::screen(const QByteArray& file) {
    const std::string_view text(file.constData(), static_cast<std::size_t>(file.size()));
    Screened screened;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t next = logicalLineEnd(text, lineStart);
        const std::string_view line = text.substr(lineStart, next - lineStart);
        while (next < text.size() && isLineEnd(text[next])) ++next;
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && holdsUnsafeVariant(line.substr(equals + 1))) {
            screened.droppedKeys.emplace_back(line.substr(0, equals));
        } else {
            screened.text.append(text.data() + lineStart, static_cast<qsizetype>(next - lineStart));
        }
        lineStart = next;
    }
    return screened;
}

void SettingsFileScreen::screenFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray original = file.readAll();
    file.close();
    const Screened screened = screen(original);
    if (screened.droppedKeys.empty()) return;

    std::string keys;
    for (const std::string& key : screened.droppedKeys) keys += (keys.empty() ? "" : ", ") + key;
    const QString keptCopy = path + QStringLiteral(".unreadable");
    QFile::remove(keptCopy);
    QSaveFile rewritten(path);
    const bool saved = QFile::copy(path, keptCopy) && rewritten.open(QIODevice::WriteOnly) &&
                       rewritten.write(screened.text) == screened.text.size() && rewritten.commit();
    SystemLog::write(
        "Settings: " + path.toStdString() + " holds values that cannot be read safely (" + keys +
        (saved ? "); they were taken out, the original is " + keptCopy.toStdString() : "); taking them out failed"));
}

}  // namespace quillmark
