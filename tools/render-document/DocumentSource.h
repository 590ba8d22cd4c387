#pragma once

#include <QString>

#include <map>
#include <optional>

namespace quillmark {

// A document's Markdown source with the parts the build fills in: a line that reads "@NAME@" and
// nothing else is replaced by the text given for NAME.
class DocumentSource {
public:
    using Insertions = std::map<QString, QString>;

    // The source with every insertion made. Fails, saying why in `error`, when a placeholder has no
    // text or a text has no placeholder: a document is never written with a part missing.
    static std::optional<QString> expand(const QString& source, const Insertions& insertions, QString& error);
    // The UTF-8 text of a file; fails when it cannot be read.
    static std::optional<QString> read(const QString& path, QString& error);

    DocumentSource() = delete;
};

}  // namespace quillmark
