// Saves the consent dialog (its buttons at rest and hovered), the About window and the notice of a
// document the desktop cannot open, light and dark, as PNG files under the build tree
// (<build>/dialog-renderings/), so that a person can look at them.
#include "WidgetTestSupport.h"

#include "app/DocumentOpener.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/ConsentDialog.h"
#include "app/look/HUDFonts.h"

#include "ScopedEnvironment.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace quillmark::testing {
namespace {

QDir renderingsDirectory() {
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
    QDir directory(QDir(binaryDir).filePath(QStringLiteral("dialog-renderings")));
    EXPECT_TRUE(directory.mkpath(QStringLiteral(".")));
    return directory;
}

void save(const QImage& image, const QString& name) {
    const QString file = renderingsDirectory().filePath(name + QStringLiteral(".png"));
    ASSERT_TRUE(image.save(file)) << file.toStdString();
    EXPECT_EQ(QImage(file).size(), image.size());
}

const std::pair<HUDAppearance, const char*> kAppearances[] = {{HUDAppearance::light, "light"},
                                                              {HUDAppearance::dark, "dark"}};

TEST(DialogRenderings, SavesTheConsentDialogWithEachButtonHovered) {
    testApplication<QApplication>();
    HUDFonts::ensureRegistered();  // as the program does at launch
    for (auto [appearance, appearanceName] : kAppearances) {
        const QString name = QString::fromLatin1(appearanceName);
        whenDialogOpens([&](DialogWindow& dialog) {
            DialogButton& cancel = *dialog.panel().buttons().at(0);
            DialogButton& confirm = *dialog.panel().buttons().at(1);
            save(rendered(dialog), QStringLiteral("consent-%1").arg(name));
            hover(confirm);
            settle(confirm);
            save(rendered(dialog), QStringLiteral("consent-%1-primary-hovered").arg(name));
            unhover(confirm);
            hover(cancel);
            settle(confirm);
            settle(cancel);
            save(rendered(dialog), QStringLiteral("consent-%1-secondary-hovered").arg(name));
            press(cancel);
            save(rendered(dialog), QStringLiteral("consent-%1-secondary-pressed").arg(name));
            release(cancel);  // a click: the answer
        });
        const bool answer = ConsentDialog::run(
            QStringLiteral("Automatic updates"),
            QStringLiteral("Quillmark can check for new versions once a day and offer them to you. Nothing is "
                           "installed without asking. You can change this later in Preferences."),
            QStringLiteral("Check automatically"), QStringLiteral("Not now"), appearance);
        EXPECT_FALSE(answer);
    }
    std::printf("Dialog renderings in %s\n", qPrintable(renderingsDirectory().absolutePath()));
}

TEST(DialogRenderings, SavesTheAboutWindow) {
    testApplication<QApplication>();
    HUDFonts::ensureRegistered();
    AboutWindowController controller;
    for (auto [appearance, appearanceName] : kAppearances) {
        controller.show(appearance);
        QCoreApplication::processEvents();
        save(rendered(controller.window()), QStringLiteral("about-%1").arg(QString::fromLatin1(appearanceName)));
    }
}

// As a user sees it where no application opens PDF files (nothing on the PATH to hand the file to), with
// the path of an install below a versioned directory.
TEST(DialogRenderings, SavesTheNoticeOfADocumentTheDesktopCannotOpen) {
    testApplication<QApplication>();
    HUDFonts::ensureRegistered();
    QTemporaryDir root;
    const QString bundle = QDir(root.path()).filePath(QStringLiteral("opt/quillmark-1.0.0/share/quillmark"));
    ASSERT_TRUE(QDir().mkpath(bundle));
    QFile guide(QDir(bundle).filePath(QStringLiteral("Quillmark User Guide.pdf")));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    QTemporaryDir emptyDirectory;
    ScopedEnvironment path("PATH", emptyDirectory.path().toStdString().c_str());
    for (auto [appearance, appearanceName] : kAppearances) {
        const QString name = QString::fromLatin1(appearanceName);
        whenDialogOpens([&](DialogWindow& dialog) {
            save(rendered(dialog), QStringLiteral("document-notice-%1").arg(name));
            click(*dialog.panel().buttons().at(0));
        });
        EXPECT_FALSE(DocumentOpener::open(ResourceBundle(bundle), QString::fromLatin1(DocumentOpener::userGuideName),
                                          appearance));
    }
}

}  // namespace
}  // namespace quillmark::testing
