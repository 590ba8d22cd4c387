#include "app/preferences/PreferencesRules.h"

#include <QByteArray>
#include <QTextBoundaryFinder>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace quillmark {

namespace {

bool isHorizontalSpace(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

// Qt switches LC_NUMERIC to the user's locale; the fields read "." whatever it is.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

QString fixed(double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

}  // namespace

QString PreferencesRules::trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text[begin])) ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

std::optional<double> PreferencesRules::parse(const QString& text) {
    const QString rest = trimmed(text);
    if (rest.isEmpty() || rest[0].isSpace()) return std::nullopt;
    // Anything outside ASCII cannot be part of a number; it would only be left over.
    for (QChar c : rest)
        if (c.unicode() > 0x7f || c.unicode() == 0) return std::nullopt;
    const QByteArray bytes = rest.toLatin1();
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale());
    if (end == bytes.constData() || end != bytes.constData() + bytes.size()) return std::nullopt;
    return value;
}

QString PreferencesRules::fieldText(double value) { return fixed(value, std::fmod(value, 1.0) == 0 ? 0 : 2); }

QString PreferencesRules::wholeText(double value) { return fixed(value, 0); }

QString PreferencesRules::oneDecimalText(double value) { return fixed(value, 1); }

bool PreferencesRules::isAcceptedDuration(double seconds) {
    return seconds >= minimumDurationSeconds && seconds <= maximumDurationSeconds;
}

bool PreferencesRules::isAcceptedStep(double stepDB) {
    return std::isfinite(stepDB) && stepDB > 0 && stepDB <= maximumStepDB;
}

QString PreferencesRules::cutLabel(const QString& text) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        if (++count == maximumLabelLength) return text.left(graphemes.position());
    }
    return text;
}

}  // namespace quillmark
