// quillmark-render-icon: writes the program's icon into a hicolor icon theme directory.
//   quillmark-render-icon --output <dir>
// Writes <dir>/<N>x<N>/apps/<icon>.png for every size and <dir>/scalable/apps/<icon>.svg.
#include "app/status/AppIcon.h"
#include "platform/autostart/DesktopIdentity.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

using namespace quillmark;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "quillmark-render-icon: %s\n", qPrintable(message));
    return 1;
}

QString iconFile(const QString& root, const QString& sizeDir, const QString& ext) {
    const QString dir = root + QLatin1Char('/') + sizeDir + QStringLiteral("/apps");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + QString::fromUtf8(DesktopIdentity::icon.data(), DesktopIdentity::icon.size()) +
           QLatin1Char('.') + ext;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace

int main(int argc, char* argv[]) {
    // A build tool: it never shows a window and must run where there is no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("hicolor theme directory"),
                                    QStringLiteral("dir"));
    parser.addOption(output);
    if (!parser.parse(application.arguments())) return fail(parser.errorText());
    if (!parser.isSet(output)) return fail(QStringLiteral("--output is required"));
    const QString root = parser.value(output);

    for (int size : AppIcon::sizes) {
        const QString path = iconFile(root, QStringLiteral("%1x%1").arg(size), QStringLiteral("png"));
        if (!AppIcon::image(size).save(path, "PNG")) return fail(QStringLiteral("cannot write %1").arg(path));
    }
    const QString svg = iconFile(root, QStringLiteral("scalable"), QStringLiteral("svg"));
    if (!writeFile(svg, AppIcon::svg())) return fail(QStringLiteral("cannot write %1").arg(svg));
    return 0;
}
