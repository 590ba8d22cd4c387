#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace quillmark {

// Takes out of a settings file, before QSettings reads it, every typed value (@Variant) that is not a
// plain number or Boolean: QSettings decodes those with lengths taken from the file, and a damaged one
// asks for gigabytes and ends the program at every start. Nothing else of the file is touched.
class SettingsFileScreen {
public:
    // The file's lines without the unsafe ones, and the keys of the lines taken out.
    struct Screened {
        QByteArray text;
        std::vector<std::string> droppedKeys;
    };
    static Screened screen(const QByteArray& text);

    // Screens the file at `path` in place; the original is kept beside it as "<path>.unreadable" when
    // anything was taken out, and a log line names the keys. A missing file is left alone.
    static void screenFile(const QString& path);
};

}  // namespace quillmark
