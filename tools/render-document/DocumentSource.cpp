#include "DocumentSource.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace quillmark {

std::optional<QString> DocumentSource::expand(const QString& source, const Insertions& insertions, QString& error) {
    static const QRegularExpression placeholder(QStringLiteral("^\\s*@([A-Z0-9_]+)@\\s*$"));
    std::set<QString> used;
    QStringList lines = source.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const auto match = placeholder.match(line);
        if (!match.hasMatch()) continue;
        const QString name = match.captured(1);
        const auto insertion = insertions.find(name);
        if (insertion == insertions.end()) {
            error = QStringLiteral("nothing to insert for @%1@").arg(name);
            return std::nullopt;
        }
        line = insertion->second;
        used.insert(name);
    }
    for (const auto& [name, text] : insertions) {
        if (used.count(name)) continue;
        error = QStringLiteral("the source has no @%1@ line").arg(name);
        return std::nullopt;
    }
    return lines.join(QLatin1Char('\n'));
}

std::optional<QString> DocumentSource::read(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace quillmark
