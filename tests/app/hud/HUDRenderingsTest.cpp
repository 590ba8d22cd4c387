// Saves the HUD in every size and appearance as PNG files under the build tree
// (<build>/hud-renderings/), so that a person can look at them.
#include "HUDTestSupport.h"

#include "app/hud/HUDView.h"
#include "app/look/HUDFonts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include <cmath>
#include <functional>

namespace quillmark::testing {
namespace {

struct State {
    const char* name;
    MonitorSnapshot snapshot;
    double spl = 0;
    std::optional<QString> label;
    std::optional<QString> message;
};

std::vector<State> states() {
    auto with = [](const std::function<void(MonitorSnapshot&)>& set) {
        MonitorSnapshot snapshot;
        set(snapshot);
        return snapshot;
    };
    return {
        {"empty", MonitorSnapshot{}},
        {"level", with([](auto& s) {
             s.levelDB = -12.5;
             s.levelTapered = 0.79;
             s.mute = false;
             s.dim = false;
             s.altMonSelection = 0;
             s.surroundMode = "STEREO";
         })},
        {"reference-spl", with([](auto& s) {
             s.levelDB = -20;
             s.levelTapered = 0.66;
             s.altMonSelection = 0;
         }),
         85, QStringLiteral("Mix reference")},
        {"dim-alt-talk", with([](auto& s) {
             s.levelDB = -32.4;
             s.levelTapered = 0.46;
             s.dim = true;
             s.talkback = true;
             s.altMonSelection = 2;
             s.surroundMode = "5.1";
             s.surroundStereoFoldDown = true;
         })},
        {"every-chip-lit", with([](auto& s) {
             s.levelDB = -18;
             s.levelTapered = 0.7;
             s.mute = true;
             s.dim = true;
             s.talkback = true;
             s.altMonSelection = 2;
             s.surroundMode = "7.1.4";
             s.surroundStereoFoldDown = true;
         })},
        {"muted-spl", with([](auto& s) {
             s.levelDB = -18;
             s.levelTapered = 0.7;
             s.mute = true;
             s.mono = true;
         }),
         85},
        {"floor", with([](auto& s) {
             s.levelDB = -96;
             s.surroundMode = "LCRS";
         })},
        {"message", MonitorSnapshot{}, 0, std::nullopt, QStringLiteral("No Interface Detected")},
    };
}

QImage renderState(HUDView& view, HUDSize size, HUDAppearance appearance, const State& state) {
    const double s = HUDView::scaleFor(size);
    view.setSize(size);
    view.resize(static_cast<int>(std::lround(240 * s)), static_cast<int>(std::lround(88 * s)));
    view.setAppearance(appearance);
    view.update(state.snapshot, MonitorEvent::level, state.spl, state.label);
    if (state.message) view.setMessage(state.message);
    return renderHUD(view);
}

const char* nameOf(HUDSize size) {
    switch (size) {
    case HUDSize::small: return "small";
    case HUDSize::medium: return "medium";
    case HUDSize::large: return "large";
    }
    return "?";
}

TEST(HUDRenderings, SavesEverySizeAndAppearance) {
    hudTestApplication();
    HUDFonts::ensureRegistered();  // as the program does at launch, so the bundled faces are drawn
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
    QDir directory(QDir(binaryDir).filePath(QStringLiteral("hud-renderings")));
    ASSERT_TRUE(directory.mkpath(QStringLiteral(".")));

    HUDView view;
    const std::vector<State> all = states();
    for (auto [appearance, appearanceName] :
         {std::pair{HUDAppearance::light, "light"}, std::pair{HUDAppearance::dark, "dark"}}) {
        // One sheet per appearance: a row per state, the three sizes side by side.
        const int gap = 12;
        QImage sheet(gap + (240 + 288 + 336) + 3 * gap, gap + static_cast<int>(all.size()) * (123 + gap),
                     QImage::Format_ARGB32);
        sheet.fill(appearance == HUDAppearance::dark ? QColor(40, 40, 40) : QColor(200, 200, 200));
        QPainter sheetPainter(&sheet);
        int y = gap;
        for (const State& state : all) {
            int x = gap;
            for (HUDSize size : {HUDSize::small, HUDSize::medium, HUDSize::large}) {
                const QImage image = renderState(view, size, appearance, state);
                const QString file = directory.filePath(
                    QStringLiteral("hud-%1-%2-%3.png").arg(nameOf(size), appearanceName, state.name));
                ASSERT_TRUE(image.save(file)) << file.toStdString();
                EXPECT_EQ(QImage(file).size(), image.size());
                sheetPainter.drawImage(x, y, image);
                x += image.width() + gap;
            }
            y += 123 + gap;
        }
        sheetPainter.end();
        const QString sheetFile = directory.filePath(QStringLiteral("hud-sheet-%1.png").arg(appearanceName));
        ASSERT_TRUE(sheet.save(sheetFile));
    }
    std::printf("HUD renderings in %s\n", qPrintable(directory.absolutePath()));
}

}  // namespace
}  // namespace quillmark::testing
