// The About window offscreen, with bundles of our own making: the version row, the lockup and its
// stand-in, the appearance and the window's reuse.
#include "WidgetTestSupport.h"

#include "app/dialogs/AboutView.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/WindowAppearance.h"
#include "app/look/HUDTokens.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quillmark::testing {
namespace {

// A bundle directory of its own, removed with the object.
class Bundle {
public:
    Bundle() { EXPECT_TRUE(directory_.isValid()); }
    ResourceBundle bundle() const { return ResourceBundle(directory_.path()); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(QDir(directory_.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A lockup of one colour, 4 : 1.
    void writeLockup(const QString& name, const QColor& colour) {
        QImage image(400, 100, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QDir(directory_.path()).filePath(name + QStringLiteral(".png"))));
    }

private:
    QTemporaryDir directory_;
};

struct VersionCase {
    const char* name;
    std::optional<const char*> info;  // Info.json's text; none: no file
    const char* expected;
};

class AboutVersionRow : public ::testing::TestWithParam<VersionCase> {};

TEST_P(AboutVersionRow, ShowsAnEmDashForWhatIsMissingOrNotText) {
    widgetTestApplication();
    Bundle main;
    if (GetParam().info) main.write(QStringLiteral("Info.json"), QByteArray(*GetParam().info));
    EXPECT_EQ(AboutView::versionText(main.bundle()), QString::fromUtf8(GetParam().expected));
    AboutView view(main.bundle(), Bundle().bundle());
    EXPECT_EQ(view.versionRow().shownText(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutVersionRow,
    ::testing::Values(VersionCase{"Both", R"({"CFBundleShortVersionString": "1.4.0", "CFBundleVersion": "27"})",
                                  "1.4.0   \u00B7   build 27"},
                      VersionCase{"NoInfoFile", std::nullopt, "\u2014   \u00B7   build \u2014"},
                      VersionCase{"NeitherKey", R"({"QuillmarkSentryDSN": ""})", "\u2014   \u00B7   build \u2014"},
                      VersionCase{"BuildMissing", R"({"CFBundleShortVersionString": "1.4.0"})",
                                  "1.4.0   \u00B7   build \u2014"},
                      VersionCase{"Numbers", R"({"CFBundleShortVersionString": 1.4, "CFBundleVersion": 27})",
                                  "\u2014   \u00B7   build \u2014"},
                      VersionCase{"NotJSON", "1.4.0 (27)", "\u2014   \u00B7   build \u2014"}),
    [](const auto& info) { return std::string(info.param.name); });

// Where a widget of the view lies, in the view's coordinates.
QRect placeOf(const QWidget& widget, const QWidget& view) {
    return QRect(widget.mapTo(&view, QPoint(0, 0)), widget.size());
}

TEST(AboutLockup, MissingImageGivesTheWordWithTheRestUnchanged) {
    widgetTestApplication();
    Bundle withImages;
    withImages.writeLockup(QStringLiteral("Quillmark_Lockup_Light"), Qt::red);
    Bundle withoutImages;
    withoutImages.write(QStringLiteral("Quillmark_Lockup_Dark.png"), "not a PNG");  // present, does not load

    for (HUDAppearance appearance : {HUDAppearance::light, HUDAppearance::dark}) {
        AboutView view(Bundle().bundle(), withoutImages.bundle());
        WindowAppearance::apply(view, appearance);
        view.refresh();
        view.show();
        QCoreApplication::processEvents();
        EXPECT_FALSE(view.lockup().showsImage());
        const QFontMetricsF metrics(TextBlock::resolveFont(QStringLiteral("IsolationGrotesque-Regular"), 30, view),
                                    &view);
        EXPECT_EQ(view.lockup().height(), 2 * 56 + static_cast<int>(std::ceil(metrics.height())));
        // Divider right below, then the details inset 22.
        EXPECT_EQ(placeOf(view.versionRow(), view).top(), view.lockup().height() + 1 + 22);
        const QImage image = rendered(view);
        const bool dark = appearance == HUDAppearance::dark;
        EXPECT_EQ(image.pixelColor(view.width() / 2, view.lockup().height()),
                  HUDTokens::resolve(HUDTokens::border, dark));
        // Some of the word, in fg, in the middle of the stand-in.
        bool wordDrawn = false;
        for (int x = 0; x < view.width() && !wordDrawn; ++x)
            wordDrawn = image.pixelColor(x, view.lockup().height() / 2) == HUDTokens::resolve(HUDTokens::fg, dark);
        EXPECT_TRUE(wordDrawn);
    }

    AboutView view(Bundle().bundle(), withImages.bundle());
    WindowAppearance::apply(view, HUDAppearance::light);
    view.refresh();
    view.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.lockup().showsImage());
    EXPECT_EQ(view.lockup().height(), AboutView::contentWidth / 4);  // as wide as the window, aspect kept
    EXPECT_EQ(placeOf(view.versionRow(), view).top(), view.lockup().height() + 1 + 22);
    EXPECT_EQ(rendered(view).pixelColor(AboutView::contentWidth / 2, view.lockup().height() / 2), QColor(Qt::red));
}

TEST(AboutWindow, AppearanceSwitchedWhileOpenAppliesAtOnce) {
    widgetTestApplication();
    Bundle resources;
    resources.writeLockup(QStringLiteral("Quillmark_Lockup_Light"), Qt::red);
    resources.writeLockup(QStringLiteral("Quillmark_Lockup_Dark"), Qt::blue);
    AboutWindowController controller(std::make_unique<AboutView>(Bundle().bundle(), resources.bundle()));
    controller.show(HUDAppearance::light);
    QCoreApplication::processEvents();
    const QPoint inLockup(AboutView::contentWidth / 2, 20);
    const QPoint inDetails(5, AboutView::contentHeight - 5);
    QImage image = rendered(controller.window());
    EXPECT_EQ(image.pixelColor(inLockup), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(inDetails), HUDTokens::resolve(HUDTokens::bg, false));

    controller.setAppearance(HUDAppearance::dark);
    image = rendered(controller.window());
    EXPECT_EQ(image.pixelColor(inLockup), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(inDetails), HUDTokens::resolve(HUDTokens::bg, true));
    EXPECT_TRUE(controller.window().isVisible());
}

TEST(AboutWindow, AppearanceSwitchToAMissingImageLaysTheWordOutInItsPlace) {
    widgetTestApplication();
    Bundle resources;
    resources.writeLockup(QStringLiteral("Quillmark_Lockup_Light"), Qt::red);
    AboutWindowController controller(std::make_unique<AboutView>(Bundle().bundle(), resources.bundle()));
    controller.show(HUDAppearance::light);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller.view().lockup().height(), AboutView::contentWidth / 4);

    controller.setAppearance(HUDAppearance::dark);
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller.view().lockup().showsImage());
    EXPECT_GT(controller.view().lockup().height(), 2 * AboutLockup::fallbackMargin);
    EXPECT_EQ(placeOf(controller.view().versionRow(), controller.view()).top(),
              controller.view().lockup().height() + 1 + 22);
}

TEST(AboutWindow, SecondShowReusesTheWindowWhereTheUserLeftIt) {
    widgetTestApplication();
    AboutWindowController controller;
    EXPECT_EQ(controller.window().size(), QSize(460, 680));
    EXPECT_EQ(controller.window().minimumSize(), controller.window().maximumSize());
    EXPECT_EQ(controller.window().windowTitle(), QStringLiteral("About Quillmark"));
    controller.show(HUDAppearance::light);
    controller.window().move(37, 52);
    const QPoint left = controller.window().pos();
    controller.window().close();  // closing only hides it
    EXPECT_FALSE(controller.window().isVisible());
    QWidget* window = &controller.window();

    controller.show(HUDAppearance::dark);
    EXPECT_EQ(&controller.window(), window);
    EXPECT_TRUE(controller.window().isVisible());
    EXPECT_EQ(controller.window().pos(), left);
    EXPECT_TRUE(WindowAppearance::isDark(controller.view()));
}

TEST(AboutView, EveryRowFitsTheWindowWithTheBundledContent) {
    widgetTestApplication();
    AboutWindowController controller;
    controller.show(HUDAppearance::light);
    QCoreApplication::processEvents();
    QStringList texts;
    for (const TextBlock* block : controller.view().textBlocks()) {
        texts << block->shownText();
        const QRect place = placeOf(*block, controller.view());
        EXPECT_LE(place.bottom(), AboutView::contentHeight - 22) << block->shownText().toStdString();
        EXPECT_EQ(place.height(), block->heightForWidth(place.width())) << block->shownText().toStdString();
    }
    EXPECT_TRUE(controller.view().lockup().showsImage());
    ASSERT_EQ(texts.size(), 12);
    EXPECT_EQ(texts[2], QStringLiteral("ACKNOWLEDGMENTS"));
    EXPECT_EQ(texts[3], QStringLiteral("Qt  \u2014  LGPL-3.0 \u2014 user-interface toolkit"));
    EXPECT_EQ(texts[8], QStringLiteral("IBM Plex Sans \u00B7 JetBrains Mono  \u2014  SIL Open Font License 1.1"));
    EXPECT_EQ(texts[9], QStringLiteral("Full license texts are in NOTICES.txt, included with the app."));
    EXPECT_EQ(texts[10], QStringLiteral("TRADEMARKS"));
    for (const QString& text : texts) {
        EXPECT_FALSE(text.contains(QStringLiteral("Sparkle")));
        EXPECT_FALSE(text.contains(QStringLiteral("Isolation")));
    }
}

TEST(AboutView, NoticesFileIsInTheBuiltBundle) {
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR");
    ASSERT_FALSE(binaryDir.isEmpty());
    QFile notices(QDir(binaryDir).filePath(QStringLiteral("share/quillmark/NOTICES.txt")));
    ASSERT_TRUE(notices.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(notices.readAll());
    for (const char* needle : {"GNU LESSER GENERAL PUBLIC LICENSE", "Boost Software License - Version 1.0", "nlohmann",
                               "libsodium", "libxcb", "SIL OPEN FONT LICENSE Version 1.1", "JetBrains"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(needle), Qt::CaseInsensitive)) << needle;
}

}  // namespace
}  // namespace quillmark::testing
