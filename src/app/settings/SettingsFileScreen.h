#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace quillmark {

// Takes out of a settings file, before QSettings reads it, every key whose value QSettings would decode
// from a byte stream (@Variant(…), @DateTime(…)) into anything but a plain number or Boolean: it trusts
// the lengths and nesting in the stream, and a damaged one ends the program at every start. The file is
// read as QSettings reads it (lines, quotes, escapes, comma-separated lists); nothing else is touched.
class SettingsFileScreen {
public:
    // The file without the unsafe keys' lines, and those keys as QSettings names them ("group/key").
    struct Screened {
        QByteArray text;
        std::vector<std::string> droppedKeys;
    };
    static Screened screen(const QByteArray& text);

    // Screens the file at `path` in place, holding the lock QSettings takes to write it ("<path>.lock"):
    // the original is first kept beside it as "<path>.unreadable", then the file is rewritten, and a log
    // line names the keys. When the copy cannot be written nothing is taken out. A missing file is left alone.
    static void screenFile(const QString& path);
};

}  // namespace quillmark
