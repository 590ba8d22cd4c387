#include "app/settings/SettingsFileScreen.h"

#include "app/settings/IniLineReader.h"
#include "app/settings/IniText.h"
#include "log/SystemLog.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace quillmark {

namespace {

// QDataStream's type ids whose data has a fixed size: Bool, Int, UInt, LongLong, ULongLong, Double, Float.
constexpr std::array<std::uint32_t, 7> kFixedSizeTypes = {1, 2, 3, 4, 5, 6, 38};
constexpr qsizetype kTypeIdSize = 4;

// Where the stream data starts in an element QSettings decodes with QDataStream: after "@Variant(" or
// "@DateTime(" (the same reader, another stream version), in a text that ends in ')'.
std::optional<qsizetype> streamDataStart(const QString& text) {
    if (!text.endsWith(u')')) return std::nullopt;
    for (const QLatin1StringView prefix : {QLatin1StringView("@Variant("), QLatin1StringView("@DateTime(")})
        if (text.startsWith(prefix)) return prefix.size();
    return std::nullopt;
}

// Whether QSettings would decode the element from a stream into anything but a number or a Boolean. A
// prefix or type id spelled with escapes Qt never writes is not trusted either.
bool isUnsafe(const IniText::Element& element) {
    const auto start = streamDataStart(element.text);
    if (!start) return false;
    if (std::any_of(element.strayEscapes.begin(), element.strayEscapes.end(),
                    [&](qsizetype at) { return at < *start + kTypeIdSize; }))
        return true;
    // QSettings hands QDataStream the text as Latin-1.
    const QByteArray data = QStringView(element.text).sliced(*start).toLatin1();
    if (data.size() < kTypeIdSize) return true;
    const auto type = qFromBigEndian<std::uint32_t>(data.constData());
    return std::find(kFixedSizeTypes.begin(), kFixedSizeTypes.end(), type) == kFixedSizeTypes.end();
}

// Every element of a list is decoded on its own, and one unsafe element makes the whole value unsafe.
bool holdsUnsafeValue(QByteArrayView value) {
    const IniText::Value decoded = IniText::value(value);
    return std::any_of(decoded.elements.begin(), decoded.elements.end(), isUnsafe);
}

bool isInlineBlank(char c) { return c == ' ' || c == '\t'; }

// The bytes a dropped line takes with it: the blanks before it on its line and the line break after it.
// A comment after it stays, and reads as a comment line.
std::pair<qsizetype, qsizetype> cutOf(QByteArrayView text, const IniLineReader::Line& line, qsizetype keptFrom) {
    qsizetype from = line.start;
    while (from > keptFrom && isInlineBlank(text[from - 1])) --from;
    qsizetype to = line.end;
    if (text.sliced(to).startsWith("\r\n")) {
        to += 2;
    } else if (to < text.size() && (text[to] == '\n' || text[to] == '\r')) {
        ++to;
    }
    return {from, to};
}

// A key from a damaged file may hold line breaks and other controls, which would break the log line.
std::string printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    return text;
}

}  // namespace

SettingsFileScreen::Screened SettingsFileScreen::screen(const QByteArray& file) {
    const QByteArrayView text(file);
    Screened screened;
    IniLineReader reader(text);
    QString section;
    qsizetype keptFrom = 0;
    while (const auto line = reader.next()) {
        const QByteArrayView whole = text.sliced(line->start, line->end - line->start);
        if (whole.startsWith('[')) {
            section = IniText::section(whole);
            continue;
        }
        if (line->equals < 0) continue;
        const qsizetype equals = line->equals - line->start;
        if (!holdsUnsafeValue(whole.sliced(equals + 1))) continue;
        screened.droppedKeys.push_back((section + IniText::key(whole.first(equals).trimmed())).toStdString());
        const auto [cutFrom, cutTo] = cutOf(text, *line, keptFrom);
        screened.text.append(text.sliced(keptFrom, cutFrom - keptFrom));
        keptFrom = cutTo;
    }
    screened.text.append(text.sliced(keptFrom));
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
    for (const std::string& key : screened.droppedKeys) keys += (keys.empty() ? "" : ", ") + printable(key);
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
