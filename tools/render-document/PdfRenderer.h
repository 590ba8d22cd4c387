#pragma once

#include <QString>

#include <optional>

namespace quillmark {

// Lays a Markdown document out on A4 pages and writes it as PDF, through QTextDocument and QPdfWriter.
class PdfRenderer {
public:
    // Writes `markdown` (GitHub dialect: tables included) to `path` with `title` as the document's
    // title. The file is replaced only when the whole document was written. Returns the error, if any.
    static std::optional<QString> render(const QString& markdown, const QString& title, const QString& path);

    PdfRenderer() = delete;
};

}  // namespace quillmark
