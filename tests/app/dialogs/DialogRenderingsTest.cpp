// Saves the consent dialog (its buttons at rest and hovered) and the About window, light and dark, as
// PNG files under the build tree (<build>/dialog-renderings/), so that a person can look at them.
#include "WidgetTestSupport.h"

#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/ConsentDialog.h"
#include "app/look/HUDFonts.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QDir>

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

}  // namespace
}  // namespace quillmark::testing
