#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace quillmark {

// The text of an INI key, section or value with its quotes and escapes undone as QSettings undoes them,
// before it looks at a value for the prefix of a typed value (@Variant(…), @ByteArray(…), …).
class IniText {
public:
    struct Element {
        QString text;
        // Where in `text` characters come from escapes QSettings never writes: a run of more than two hex
        // digits, an octal escape other than a lone \0, an unknown escape (skipped) or an escaped line break.
        std::vector<qsizetype> strayEscapes;
    };
    // A value: one element, or the elements of a comma-separated list.
    struct Value {
        std::vector<Element> elements;
        bool isList = false;
    };

    // The value after a line's '=' (UTF-8; an escape gives the UTF-16 code unit it names).
    static Value value(QByteArrayView raw);
    // A key as QSettings names it: a backslash stands for '/', %XX and %UXXXX for that character.
    static QString key(QByteArrayView raw);
    // The group a section header line ("[name]…") opens, as it prefixes its keys: "" for General,
    // "name/" otherwise.
    static QString section(QByteArrayView header);

    IniText() = delete;
};

}  // namespace quillmark
