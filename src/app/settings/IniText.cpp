#include "app/settings/IniText.h"

#include <QStringDecoder>

#include <optional>

namespace quillmark {

namespace {

bool isLineBreak(char c) { return c == '\n' || c == '\r'; }

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The character a one-letter escape stands for.
std::optional<char16_t> namedEscape(char c) {
    switch (c) {
    case 'a': return u'\a';
    case 'b': return u'\b';
    case 'f': return u'\f';
    case 'n': return u'\n';
    case 'r': return u'\r';
    case 't': return u'\t';
    case 'v': return u'\v';
    case '"': return u'"';
    case '?': return u'?';
    case '\'': return u'\'';
    case '\\': return u'\\';
    default: return std::nullopt;
    }
}

// One pass over a value. Raw text goes through one UTF-8 decoder for the whole value, as in QSettings:
// a sequence cut by an escape is completed after it. Blanks before an element and after a closing quote
// are passed over; blanks at the end of an element that had no quote are dropped, back to the last escape.
class ValueReader {
public:
    explicit ValueReader(QByteArrayView raw) : raw_(raw) {}

    IniText::Value read() {
        passOverBlanks();
        bool chopAtEnd = true;
        while (at_ < raw_.size() && chopAtEnd) {
            const char c = raw_[at_];
            if (c == '\\') {
                chopAtEnd = escape();
            } else if (c == '"') {
                quote();
            } else if (c == ',' && !inQuotes_) {
                endElement();
            } else {
                plainRun();
            }
        }
        // An escape that runs to the end of the value ends the reading there, without dropping blanks.
        if (chopAtEnd && !hadQuote_) dropTrailingBlanks();
        value_.elements.push_back(std::move(element_));
        return std::move(value_);
    }

private:
    QString& text() { return element_.text; }
    void markStray() { element_.strayEscapes.push_back(text().size()); }
    void resumePlain() { keepFrom_ = text().size(); }

    void passOverBlanks() {
        while (at_ < raw_.size() && (raw_[at_] == ' ' || raw_[at_] == '\t')) ++at_;
    }

    // Returns false when the value ends within the escape.
    bool escape() {
        if (++at_ >= raw_.size()) return false;
        const char c = raw_[at_++];
        if (const auto named = namedEscape(c)) {
            if (c == '?' || c == '\'') markStray();
            text() += QChar(*named);
        } else if (c == 'x') {
            if (at_ >= raw_.size()) return false;
            if (digitValue(raw_[at_], 16) >= 0) return number(16, 0);
            markStray();  // "\x" without digits: skipped
        } else if (digitValue(c, 8) >= 0) {
            return number(8, c - '0');
        } else {
            markStray();  // an escaped line break ("\r\n" and "\n\r" as one) or an unknown escape: skipped
            if (isLineBreak(c) && at_ < raw_.size() && isLineBreak(raw_[at_]) && raw_[at_] != c) ++at_;
        }
        resumePlain();
        return true;
    }

    // The digits of a hex or octal escape, as many as follow, in 16 bits.
    bool number(int base, int firstDigit) {
        char16_t code = static_cast<char16_t>(firstDigit);
        int digits = base == 8 ? 1 : 0;
        for (int digit; at_ < raw_.size() && (digit = digitValue(raw_[at_], base)) >= 0; ++at_, ++digits)
            code = static_cast<char16_t>(code * base + digit);
        if (base == 16 ? digits > 2 : digits > 1 || firstDigit != 0) markStray();
        text() += QChar(code);
        if (at_ >= raw_.size()) return false;
        resumePlain();
        return true;
    }

    void quote() {
        ++at_;
        hadQuote_ = true;
        inQuotes_ = !inQuotes_;
        if (!inQuotes_) {
            passOverBlanks();
            resumePlain();
        }
    }

    void endElement() {
        if (!hadQuote_) dropTrailingBlanks();
        value_.isList = true;
        value_.elements.push_back(std::move(element_));
        element_ = {};
        hadQuote_ = false;
        ++at_;
        passOverBlanks();
        resumePlain();
    }

    void plainRun() {
        qsizetype end = at_ + 1;
        while (end < raw_.size() && raw_[end] != '\\' && raw_[end] != '"' && raw_[end] != ',') ++end;
        text() += utf8_.decode(raw_.sliced(at_, end - at_));
        at_ = end;
    }

    void dropTrailingBlanks() {
        while (text().size() > keepFrom_ && (text().back() == u' ' || text().back() == u'\t')) text().chop(1);
    }

    QByteArrayView raw_;
    qsizetype at_ = 0;
    bool inQuotes_ = false;
    bool hadQuote_ = false;
    qsizetype keepFrom_ = 0;
    IniText::Element element_;
    IniText::Value value_;
    QStringDecoder utf8_{QStringDecoder::Utf8};
};

}  // namespace

IniText::Value IniText::value(QByteArrayView raw) { return ValueReader(raw).read(); }

QString IniText::key(QByteArrayView raw) {
    const QString decoded = QString::fromUtf8(raw);
    QString key;
    key.reserve(decoded.size());
    for (qsizetype at = 0; at < decoded.size();) {
        const QChar c = decoded[at];
        if (c == u'\\') {
            key += u'/';
            ++at;
            continue;
        }
        if (c != u'%' || at == decoded.size() - 1) {
            key += c;
            ++at;
            continue;
        }
        const bool wide = decoded[at + 1] == u'U';
        const qsizetype digitsAt = at + (wide ? 2 : 1);
        const qsizetype digits = wide ? 4 : 2;
        bool ok = false;
        const ushort code =
            digitsAt + digits <= decoded.size() ? QStringView(decoded).sliced(digitsAt, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            key += u'%';
            ++at;
            continue;
        }
        key += QChar(code);
        at = digitsAt + digits;
    }
    return key;
}

QString IniText::section(QByteArrayView header) {
    const qsizetype close = header.indexOf(']');
    const QByteArrayView name = header.first(close < 0 ? header.size() : close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0) return {};
    if (name.compare("%general", Qt::CaseInsensitive) == 0) return QStringLiteral("General/");
    return key(name) + u'/';
}

}  // namespace quillmark
