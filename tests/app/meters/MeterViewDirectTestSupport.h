#pragma once

#include "MeterViewTestSupport.h"
#include "PollUntil.h"
#include "core/ChannelLayout.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace quillmark::testing {

struct DirectCase {
    const char* name;
    QSize size;
    const char* mode;
    bool dark;
};

inline void PrintTo(const DirectCase& c, std::ostream* os) { *os << c.name; }

// The view's window as the X server holds it; the request follows the view's on one connection.
inline QImage onScreen(const MeterView& view) {
    return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The first pixel the server shows otherwise than a full paint of the view's state.
inline std::optional<QPoint> staleAgainstFullPaint(const MeterView& view) {
    const QImage full = renderMeters(view, view.devicePixelRatioF());
    const QImage shown = onScreen(view);
    if (shown.size() != full.size()) return QPoint(-1, -1);
    return firstDifference(shown, full);
}

// Shown, exposed and painted in full.
inline void showAndSettle(MeterView& view) {
    using namespace std::chrono_literals;
    view.show();
    const bool settled =
        pollUntil([&] { return !staleAgainstFullPaint(view); }, 5000ms, [] { QApplication::processEvents(); });
    ASSERT_TRUE(settled) << "the first paint never matched a full paint";
}

// Streamed changes go out without a paint event; whole paints (a new appearance, a new mode text,
// a hide and show, a resize) come in between, and the gradient kept on the server follows the
// appearance and the size. After every change the server shows exactly a full paint.
inline void expectDirectDrawingToMatchFullPaints(RecordingMeterView& view, const DirectCase& c) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ASSERT_TRUE(view.drawsDirectly());
    std::vector<MeterChannel> channels;
    for (const auto& definition : ChannelLayout::channels(c.mode, MeterChannelOrder::film))
        channels.push_back({definition.label, definition.meterIndex, -20, -12, false});
    view.setDarkAppearance(c.dark);
    view.resize(c.size);
    view.setChannels(channels);
    ASSERT_NO_FATAL_FAILURE(showAndSettle(view));

    StreamLikeChanges changes(29);
    for (int step = 0; step < 240; ++step) {
        if (step == 80) view.setDarkAppearance(!c.dark);
        if (step == 120) view.setSurroundModeText(QStringLiteral("5.1"));
        if (step == 160) {
            view.hide();
            ASSERT_NO_FATAL_FAILURE(showAndSettle(view));
        }
        if (step == 200) {
            view.resize(c.size + QSize(37, 51));
            ASSERT_NO_FATAL_FAILURE(showAndSettle(view));
        }
        QApplication::processEvents();
        changes.step(channels);
        view.painted.clear();
        view.setChannels(channels);
        EXPECT_TRUE(view.painted.empty()) << "step " << step << ": a streamed change went through a paint event";
        const auto stale = staleAgainstFullPaint(view);
        ASSERT_FALSE(stale) << "step " << step << ": stale pixel at " << stale->x() << ", " << stale->y();
    }
}

}  // namespace quillmark::testing
