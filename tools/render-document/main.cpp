// quillmark-render-document: turns a document source of resources/ into the PDF the program opens.
//   quillmark-render-document --source <file.md> --output <file.pdf> --title <text>
//                             [--insert NAME=<file>]... [--hotkey-table]
// --insert puts a file's text where the source has the line "@NAME@"; --hotkey-table puts the table
// of this platform's first-run hotkeys at "@HOTKEY_TABLE@".
#include "DocumentSource.h"
#include "HotkeyTable.h"
#include "PdfRenderer.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

using namespace quillmark;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "quillmark-render-document: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A build tool: it never shows a window and must run where there is no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption source(QStringLiteral("source"), QStringLiteral("Markdown source"),
                                    QStringLiteral("file"));
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("PDF to write"), QStringLiteral("file"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("document title"), QStringLiteral("text"));
    const QCommandLineOption insert(QStringLiteral("insert"), QStringLiteral("text for an @NAME@ line"),
                                    QStringLiteral("NAME=file"));
    const QCommandLineOption hotkeyTable(QStringLiteral("hotkey-table"),
                                         QStringLiteral("the first-run hotkeys for an @HOTKEY_TABLE@ line"));
    parser.addOptions({source, output, title, insert, hotkeyTable});
    if (!parser.parse(application.arguments())) return fail(parser.errorText());
    for (const auto& required : {source, output, title})
        if (!parser.isSet(required)) return fail(QStringLiteral("--%1 is required").arg(required.names().first()));

    QString error;
    DocumentSource::Insertions insertions;
    for (const QString& argument : parser.values(insert)) {
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (equals <= 0) return fail(QStringLiteral("--insert takes NAME=file, not %1").arg(argument));
        const auto text = DocumentSource::read(argument.mid(equals + 1), error);
        if (!text) return fail(error);
        insertions[argument.left(equals)] = *text;
    }
    if (parser.isSet(hotkeyTable))
        insertions[QStringLiteral("HOTKEY_TABLE")] = HotkeyTable::markdown(HotkeyBinding::firstRunDefaults());

    const auto text = DocumentSource::read(parser.value(source), error);
    if (!text) return fail(error);
    const auto markdown = DocumentSource::expand(*text, insertions, error);
    if (!markdown) return fail(parser.value(source) + QStringLiteral(": ") + error);
    if (const auto renderError = PdfRenderer::render(*markdown, parser.value(title), parser.value(output)))
        return fail(*renderError);
    return 0;
}
