// What the whole kit shares: upper-casing whatever the locale, and the appearance reaching every
// control of a window, forced or following the desktop.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/KitLook.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/SectionBox.h"
#include "app/preferences/kit/VellButton.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellLabelField.h"
#include "app/preferences/kit/VellSegmented.h"

#include <QLineEdit>
#include <QLocale>
#include <QPalette>

namespace quillmark::testing {
namespace {

class KitLookTest : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QApplication& application = widgetTestApplication();
};

TEST_F(KitLookTest, UpperCasingIgnoresATurkishLocale) {
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    // The locale really is Turkish: its own mapping dots the capital I.
    ASSERT_EQ(QLocale().toUpper(QStringLiteral("i")), QStringLiteral("\u0130"));

    EXPECT_EQ(KitLook::upperCased(QStringLiteral("hi")), "HI");
    EXPECT_EQ(SectionBox(QStringLiteral("Startup Ring")).shownTitle(), "STARTUP RING");
    EXPECT_EQ(VellButton(QStringLiteral("Set limit"), false).shownTitle(), "SET LIMIT");
    VellSegmented<int> picker(
        {0}, [](int) { return QStringLiteral("Min"); }, 0);
    EXPECT_EQ(picker.shownTitle(0), "MIN");
    // The default mapping also expands where Unicode says so.
    EXPECT_EQ(KitLook::upperCased(QStringLiteral("stra\u00DFe")), "STRASSE");
}

TEST_F(KitLookTest, ApplyingAnAppearanceReachesEveryControlInTheTree) {
    SectionBox box(QStringLiteral("HUD"));
    auto* checkbox = new VellCheckbox(true);
    auto* field = new VellLabelField(QStringLiteral("Reference 1"), 150);
    box.addContent(new Row(QStringLiteral("Show SPL"), std::nullopt, checkbox));
    box.addContent(field);

    for (bool dark : {true, false, true}) {
        VellWidget::applyAppearance(box, dark ? HUDAppearance::dark : HUDAppearance::light);
        for (VellWidget* control :
             {static_cast<VellWidget*>(&box), static_cast<VellWidget*>(checkbox), static_cast<VellWidget*>(field)}) {
            EXPECT_EQ(control->drawsDark(), dark);
        }
        // The field's own line edit draws its text in the new half of the palette too.
        EXPECT_EQ(field->lineEdit().palette().color(QPalette::Text), token(HUDTokens::amber, dark));
    }
    // Added afterwards (an error caption that comes and goes): drawn like the rest.
    auto* later = new VellCheckbox(false);
    box.addContent(new Row(QStringLiteral("Send crash reports"), std::nullopt, later));
    EXPECT_TRUE(later->drawsDark());
}

TEST_F(KitLookTest, SystemAppearanceFollowsTheDesktopPalette) {
    const QPalette original = QApplication::palette();
    VellLabelField field(QStringLiteral("Reference 1"), 150);
    VellButton button(QStringLiteral("Set"), false);
    button.resize(button.sizeHint());
    ASSERT_EQ(field.appearance(), HUDAppearance::system);

    for (bool dark : {true, false}) {
        QPalette desktop = original;
        desktop.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
        desktop.setColor(QPalette::WindowText, dark ? QColor(230, 230, 230) : QColor(10, 10, 10));
        QApplication::setPalette(desktop);
        QApplication::processEvents();
        EXPECT_EQ(field.lineEdit().palette().color(QPalette::Text), token(HUDTokens::amber, dark));
        EXPECT_EQ(pixel(render(button, Qt::magenta), 1, 1), token(HUDTokens::bgHeader, dark));
    }
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace quillmark::testing
