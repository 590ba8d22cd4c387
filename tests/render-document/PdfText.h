#pragma once

#include <QString>

#include <optional>

namespace quillmark::testing {

// The text of a PDF as pdftotext (poppler-utils) reads it.
class PdfText {
public:
    // Reading order, or with `layout` each line of the page as laid out (a table row on one line).
    // Nothing when pdftotext fails or is missing.
    static std::optional<QString> of(const QString& pdfPath, bool layout = false);
    // Runs of white space, line breaks included, made one space; so text wrapped anywhere compares equal.
    static QString simplified(const QString& text);
};

}  // namespace quillmark::testing
