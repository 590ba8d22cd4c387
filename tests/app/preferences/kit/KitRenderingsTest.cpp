// Saves every control of the kit in each of its states, light and dark, as PNG files under the build
// tree (<build>/kit-renderings/), drawn at two pixels per point so that a person can look at them.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/SectionBox.h"
#include "app/preferences/kit/VellButton.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellLabelField.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/preferences/kit/VellScrollArea.h"
#include "app/preferences/kit/VellSegmented.h"

#include <QDir>
#include <QPainter>
#include <QScrollBar>

#include <functional>
#include <memory>

namespace quillmark::testing {
namespace {

constexpr double kPixelRatio = 2;

struct Rendering {
    const char* component;
    const char* state;
    std::function<std::unique_ptr<QWidget>()> make;
    bool onWindow = false;  // drawn on the window's background rather than a section's body
};

std::unique_ptr<QWidget> sized(std::unique_ptr<QWidget> widget, int width) {
    widget->resize(width, widget->hasHeightForWidth() ? widget->heightForWidth(width) : widget->sizeHint().height());
    return widget;
}

std::unique_ptr<QWidget> button(bool primary, bool disabled) {
    auto widget = std::make_unique<VellButton>(primary ? QStringLiteral("Set") : QStringLiteral("Clear"), primary);
    widget->setDisabled(disabled);
    widget->resize(widget->sizeHint());
    return widget;
}

std::unique_ptr<QWidget> segmented(const QString& selection) {
    auto widget = std::make_unique<VellSegmented<QString>>(
        std::vector<QString>{"System", "Light", "Dark"}, [](const QString& option) { return option; }, selection);
    widget->resize(220, 24);
    return widget;
}

std::unique_ptr<QWidget> field(bool numeric, const QString& text) {
    std::unique_ptr<VellTextField> widget;
    if (numeric) widget = std::make_unique<VellNumericField>(QStringLiteral("e.g. 80"), 64);
    else widget = std::make_unique<VellLabelField>(QStringLiteral("Reference 1"), 150);
    widget->setText(text);
    return widget;
}

// A section taller than its area, scrolled to `fraction` of the way down.
std::unique_ptr<QWidget> scrolled(double fraction) {
    auto area = std::make_unique<VellScrollArea>();
    auto* section = new SectionBox(QStringLiteral("Hotkeys"));
    for (int row = 1; row <= 8; ++row)
        section->addContent(new Row(QStringLiteral("Row %1").arg(row), std::nullopt, new VellCheckbox(row % 2 == 0)));
    section->setFixedWidth(260);
    section->resize(260, section->sizeHint().height());
    area->setWidget(section);
    area->resize(260, 160);
    area->show();
    QApplication::processEvents();
    QScrollBar& bar = *area->verticalScrollBar();
    bar.setValue(static_cast<int>(fraction * bar.maximum()));
    return area;
}

std::vector<Rendering> renderings() {
    return {
        {"scrollArea", "top", [] { return scrolled(0); }, true},
        {"scrollArea", "scrolled", [] { return scrolled(0.6); }, true},
        {"section-box", "startup",
         [] {
             auto box = std::make_unique<SectionBox>(QStringLiteral("Startup"));
             box->addContent(new Row(QStringLiteral("Open Quillmark at login"), std::nullopt, new VellCheckbox(false)));
             auto* error = new Caption(QStringLiteral("The login item could not be registered."));
             error->setForeground(HUDTokens::red);
             box->addContent(error);
             box->addContent(new Row(QStringLiteral("Show Meters on launch"), std::nullopt, new VellCheckbox(true)));
             return sized(std::move(box), 400);
         },
         true},
        {"row", "plain",
         [] {
             return sized(
                 std::make_unique<Row>(QStringLiteral("Hold clip indication"), std::nullopt, new VellCheckbox(true)),
                 360);
         }},
        {"row", "hint",
         [] {
             return sized(std::make_unique<Row>(QStringLiteral("Volume up (fine)"),
                                                QStringLiteral("Console default: \u2318F12"),
                                                new VellNumericField(QStringLiteral("1"), 64)),
                          360);
         }},
        {"caption", "muted",
         [] {
             return sized(std::make_unique<Caption>(
                              QStringLiteral("Name each preset, then press Set to capture the monitor\u2019s current "
                                             "level. Recall it any time from the menu bar or a hotkey.")),
                          360);
         }},
        {"caption", "red",
         [] {
             auto caption = std::make_unique<Caption>(QStringLiteral("Operation not permitted"));
             caption->setForeground(HUDTokens::red);
             return sized(std::move(caption), 360);
         }},
        {"numeric-field", "prompt", [] { return field(true, {}); }},
        {"numeric-field", "text", [] { return field(true, QStringLiteral("2.50")); }},
        {"label-field", "prompt", [] { return field(false, {}); }},
        {"label-field", "text", [] { return field(false, QStringLiteral("Mix reference")); }},
        {"button", "normal", [] { return button(false, false); }},
        {"button", "primary", [] { return button(true, false); }},
        {"button", "disabled", [] { return button(false, true); }},
        {"button", "disabled-primary", [] { return button(true, true); }},
        {"checkbox", "off", [] { return std::make_unique<VellCheckbox>(false); }},
        {"checkbox", "on", [] { return std::make_unique<VellCheckbox>(true); }},
        {"segmented", "one-selected", [] { return segmented(QStringLiteral("Light")); }},
        {"segmented", "none-selected", [] { return segmented(QStringLiteral("Other")); }},
        {"segmented", "two-selected",
         [] {
             auto widget = std::make_unique<VellSegmented<int>>(
                 std::vector<int>{1, 2, 1},
                 [](int n) { return n == 1 ? QStringLiteral("Music") : QStringLiteral("Film"); }, 1);
             widget->resize(260, 24);
             return widget;
         }},
    };
}

TEST(KitRenderings, SavesEveryControlInEveryStateLightAndDark) {
    widgetTestApplication();
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
    QDir directory(QDir(binaryDir).filePath(QStringLiteral("kit-renderings")));
    ASSERT_TRUE(directory.mkpath(QStringLiteral(".")));

    for (auto [appearance, appearanceName] :
         {std::pair{HUDAppearance::light, "light"}, std::pair{HUDAppearance::dark, "dark"}}) {
        const bool dark = appearance == HUDAppearance::dark;
        std::vector<QImage> images;
        for (const Rendering& rendering : renderings()) {
            std::unique_ptr<QWidget> widget = rendering.make();
            VellWidget::applyAppearance(*widget, appearance);
            widget->show();  // lays out what the control holds
            QApplication::processEvents();
            if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
            const QColor backdrop = token(rendering.onWindow ? HUDTokens::bg : HUDTokens::bgRaised, dark);
            const QImage image = render(*widget, backdrop, kPixelRatio);
            const QString file = directory.filePath(
                QStringLiteral("kit-%1-%2-%3.png").arg(rendering.component, rendering.state, appearanceName));
            ASSERT_TRUE(image.save(file)) << file.toStdString();
            EXPECT_EQ(QImage(file).size(), image.size());
            images.push_back(image);
        }
        // One sheet per appearance, the controls one under another on the window's background.
        const int gap = 24;
        int width = 0, height = gap;
        for (const QImage& image : images) {
            width = std::max(width, image.width());
            height += image.height() + gap;
        }
        QImage sheet(width + 2 * gap, height, QImage::Format_ARGB32);
        sheet.fill(token(HUDTokens::bg, dark));
        QPainter painter(&sheet);
        int y = gap;
        for (const QImage& image : images) {
            QImage plain = image;
            plain.setDevicePixelRatio(1);
            painter.drawImage(gap, y, plain);
            y += image.height() + gap;
        }
        painter.end();
        ASSERT_TRUE(sheet.save(directory.filePath(QStringLiteral("kit-sheet-%1.png").arg(appearanceName))));
    }
    std::printf("Kit renderings in %s\n", qPrintable(directory.absolutePath()));
}

}  // namespace
}  // namespace quillmark::testing
