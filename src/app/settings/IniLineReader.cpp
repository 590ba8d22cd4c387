#include "app/settings/IniLineReader.h"

namespace quillmark {

namespace {

constexpr QByteArrayView kByteOrderMark = "\xef\xbb\xbf";

bool isLineBreak(char c) { return c == '\n' || c == '\r'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || isLineBreak(c); }

}  // namespace

IniLineReader::IniLineReader(QByteArrayView text) : text_(text), at_(text.startsWith(kByteOrderMark) ? 3 : 0) {}

std::optional<IniLineReader::Line> IniLineReader::next() {
    Line line;
    line.start = at_;
    while (line.start < text_.size() && isBlank(text_[line.start])) ++line.start;
    bool quoted = false;
    qsizetype at = line.start;
    while (at < text_.size()) {
        const char c = text_[at++];
        const bool first = at == line.start + 1;
        if (c == '=') {
            if (!quoted && line.equals < 0) line.equals = at - 1;
        } else if (isLineBreak(c)) {
            if (first) {
                ++line.start;
            } else if (!quoted) {
                --at;
                break;
            }
        } else if (c == '\\') {
            if (at < text_.size()) {
                const char escaped = text_[at++];
                // "\r\n" and "\n\r" after a backslash are one line break.
                if (at < text_.size() && isLineBreak(escaped) && isLineBreak(text_[at]) && text_[at] != escaped) ++at;
            }
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';') {
            if (first) {
                passOverComment(line, at);
            } else if (!quoted) {
                --at;
                break;
            }
        }
    }
    at_ = at;
    line.end = at;
    if (line.end == line.start) return std::nullopt;
    return line;
}

// A ';' at the start of a line comments out the rest of it; the line read goes on after the blanks that
// follow.
void IniLineReader::passOverComment(Line& line, qsizetype& at) const {
    while (at < text_.size() && !isLineBreak(text_[at])) ++at;
    while (at < text_.size() && isBlank(text_[at])) ++at;
    line.start = at;
}

}  // namespace quillmark
