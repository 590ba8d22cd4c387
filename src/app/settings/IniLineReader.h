#pragma once

#include <QByteArrayView>

#include <optional>

namespace quillmark {

// Splits the text of an INI file into the lines QSettings reads, at the places it splits them: a line
// ends at a line break outside quotes or at a ';' that starts a comment, and a backslash takes the
// character after it, a line break too, into the line. Blanks and comments between lines are passed over.
class IniLineReader {
public:
    struct Line {
        qsizetype start = 0;    // its first byte, after the blanks before it
        qsizetype end = 0;      // one past its last: the line break or ';' that ends it, or the text's end
        qsizetype equals = -1;  // the '=' after the key (the first one outside quotes), -1 when there is none
    };

    explicit IniLineReader(QByteArrayView text);

    // The next line, nothing at the end of the text.
    std::optional<Line> next();

private:
    void passOverComment(Line& line, qsizetype& at) const;

    QByteArrayView text_;
    qsizetype at_;
};

}  // namespace quillmark
