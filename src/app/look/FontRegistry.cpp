#include "app/look/FontRegistry.h"

#include "log/SystemLog.h"

#include <QFile>
#include <QFontDatabase>
#include <QRawFont>
#include <QtEndian>

#include <map>
#include <utility>

namespace quillmark {

namespace {

struct Face {
    QString family;
    QString style;
};

// PostScript name -> face, for every file registered in this process. Qt looks faces up by family only.
std::map<QString, Face>& postScriptFaces() {
    static std::map<QString, Face> faces;
    return faces;
}

quint16 readU16(const QByteArray& table, qsizetype offset) {
    if (offset < 0 || offset + 2 > table.size()) return 0;
    return qFromBigEndian<quint16>(table.constData() + offset);
}

// Name ID 6 of an OpenType 'name' table: the PostScript name (Windows UTF-16 or Mac Roman records).
QString postScriptName(const QByteArray& table) {
    const quint16 count = readU16(table, 2);
    const quint16 stringsAt = readU16(table, 4);
    for (quint16 i = 0; i < count; ++i) {
        const qsizetype record = 6 + qsizetype{i} * 12;
        if (readU16(table, record + 6) != 6) continue;
        const quint16 platform = readU16(table, record);
        const qsizetype length = readU16(table, record + 8);
        const qsizetype offset = qsizetype{stringsAt} + readU16(table, record + 10);
        if (offset + length > table.size()) continue;
        const QByteArray bytes = table.mid(offset, length);
        if (platform == 3 || platform == 0) {
            QString text;
            for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) text += QChar(readU16(bytes, at));
            return text;
        }
        if (platform == 1) return QString::fromLatin1(bytes);
    }
    return {};
}

void log(const QString& line) { SystemLog::write(line.toStdString()); }

QFont sized(QFont font, double size) {
    font.setPointSizeF(size);
    return font;
}

}  // namespace

FontRegistry::FontRegistry(ResourceBundle bundle) : bundle_(std::move(bundle)) {}

void FontRegistry::ensureRegistered() {
    if (registered_) return;
    registered_ = true;
    const Row rows[] = {
        {display,
         "IsolationGrotesque-Regular",
         "otf",
         {"IsolationGrotesque-Regular", "Isolation Grotesque", "IsolationGrotesque"}},
        {body, "IBMPlexSans-Regular", "ttf", {"IBMPlexSans-Regular", "IBM Plex Sans", "IBMPlexSans"}},
        {monoRegular, "JetBrainsMono-Regular", "ttf", {"JetBrainsMono-Regular", "JetBrains Mono", "JetBrainsMono"}},
        {monoMedium, "JetBrainsMono-Medium", "ttf", {"JetBrainsMono-Medium", "JetBrains Mono", "JetBrainsMono"}},
    };
    for (const Row& row : rows) registerRow(row);
}

void FontRegistry::registerRow(const Row& row) {
    const auto path = bundle_.url(row.resource, row.ext);
    if (!path) {
        log(QStringLiteral("Quillmark: bundled font %1.%2 not found").arg(row.resource, row.ext));
        return;
    }
    if (const auto failure = registerFile(*path))
        log(QStringLiteral("Quillmark: font register for %1 returned %2 \u2014 attempting name resolve")
                .arg(row.resource, *failure));
    for (const QString& candidate : row.candidates) {
        if (named(candidate, 12)) {
            slots_[row.slot] = candidate;
            return;
        }
    }
    log(QStringLiteral("Quillmark: %1 registered but no usable PostScript / family name resolved").arg(row.resource));
}

// Nothing on success, else why the file was refused.
std::optional<QString> FontRegistry::registerFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    const QByteArray data = file.readAll();
    const int id = QFontDatabase::addApplicationFontFromData(data);
    if (id < 0) return QStringLiteral("unknown");
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    const QRawFont raw(data, 12);
    if (families.isEmpty() || !raw.isValid()) return std::nullopt;
    const Face face{families.first(), raw.styleName()};
    if (const QString postScript = postScriptName(raw.fontTable("name")); !postScript.isEmpty())
        postScriptFaces()[postScript] = face;
    // Some builds name the face without its style (IBM Plex Sans from npm says "IBMPlexSans"); the windows
    // ask for "Family-Style", so that form answers too.
    postScriptFaces()[QString(face.family).remove(QLatin1Char(' ')) + QLatin1Char('-') + face.style] = face;
    return std::nullopt;
}

std::optional<QFont> FontRegistry::named(const QString& name, double size) {
    const auto& faces = postScriptFaces();
    if (const auto face = faces.find(name); face != faces.end()) {
        QFont font(face->second.family);
        font.setStyleName(face->second.style);
        return sized(font, size);
    }
    if (!name.isEmpty() && QFontDatabase::families().contains(name)) return sized(QFont(name), size);
    return std::nullopt;
}

QFont FontRegistry::mono(double size, bool medium) const {
    if (medium && slots_[monoMedium]) {
        if (auto font = named(*slots_[monoMedium], size)) return *font;
    } else if (slots_[monoRegular]) {
        if (auto font = named(*slots_[monoRegular], size)) return *font;
    }
    QFont fallback = sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), size);
    fallback.setWeight(medium ? QFont::Medium : QFont::Normal);
    return fallback;
}

QFont FontRegistry::displayFont(double size) const {
    if (slots_[display])
        if (auto font = named(*slots_[display], size)) return *font;
    QFont fallback = sized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), size);
    fallback.setWeight(QFont::Normal);
    return fallback;
}

}  // namespace quillmark
