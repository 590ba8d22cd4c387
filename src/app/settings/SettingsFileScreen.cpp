#include "app/settings/SettingsFileScreen.h"

#include "app/settings/IniLineReader.h"
#include "app/settings/IniText.h"
#include "log/SystemLog.h"

#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

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

std::string lockError(QLockFile::LockError error) {
    switch (error) {
    case QLockFile::PermissionError: return "its directory is not writable";
    case QLockFile::LockFailedError: return "another process holds it";
    default: return "it could not be created";
    }
}

std::optional<QByteArray> contentsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

// Replaces the file at `path` with `bytes` only once they are all written; the error otherwise. Unbuffered:
// QSaveFile commits a file whose buffered bytes could not be written (a full disk) as if they had been.
std::optional<QString> writeWhole(const QString& path, const QByteArray& bytes,
                                  std::optional<QFileDevice::Permissions> permissions = std::nullopt) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    if (permissions) file.setPermissions(*permissions);
    if (const qint64 written = file.write(bytes); written != bytes.size()) {
        const QString error =
            written < 0 ? file.errorString()
                        : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(bytes.size());
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
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
    const auto first = contentsOf(path);
    if (!first || screen(*first).droppedKeys.empty()) return;

    // QSettings writes the file holding this lock: a copy of the program writing now finishes first,
    // and what it wrote is what gets screened.
    QLockFile lock(path + QStringLiteral(".lock"));
    const bool locked = lock.lock();
    const auto original = contentsOf(path);
    if (!original) return;
    const Screened screened = screen(*original);
    if (screened.droppedKeys.empty()) return;

    std::string keys;
    for (const std::string& key : screened.droppedKeys) keys += (keys.empty() ? "" : ", ") + printable(key);
    const QString keptCopy = path + QStringLiteral(".unreadable");
    const auto log = [&](const std::string& outcome) {
        SystemLog::write("Settings: " + path.toStdString() + " holds values that cannot be read safely (" + keys +
                         "); " + outcome);
    };
    if (!locked) {
        log("its lock file " + lock.fileName().toStdString() + " could not be taken (" + lockError(lock.error()) +
            "), so nothing was taken out");
        return;
    }
    // The copy replaces an earlier one only once it is whole, and the file is rewritten only then.
    if (const auto error = writeWhole(keptCopy, *original, QFile::permissions(path))) {
        log("the original could not be kept as " + keptCopy.toStdString() + " (" + error->toStdString() +
            "), so nothing was taken out");
        return;
    }
    if (const auto error = writeWhole(path, screened.text)) {
        log("taking them out failed (" + error->toStdString() + "); the original is " + keptCopy.toStdString());
        return;
    }
    log("they were taken out, the original is " + keptCopy.toStdString());
}

}  // namespace quillmark
