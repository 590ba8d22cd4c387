#pragma once

#include "app/meters/MeterView.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

namespace quillmark::testing {

// Records what each paint was asked to cover.
class RecordingMeterView : public MeterView {
public:
    std::vector<QRegion> painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        painted.push_back(event->region());
        MeterView::paintEvent(event);
    }
};

// The view drawn in full into an image of its size, at `ratio` device pixels per point.
inline QImage renderMeters(const MeterView& view, double ratio = 1.0) {
    QImage image(view.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    view.paint(painter, QRegion(view.rect()));
    return image;
}

// The first pixel where two images of one size differ, if any.
inline std::optional<QPoint> firstDifference(const QImage& a, const QImage& b) {
    const auto rowBytes = static_cast<std::size_t>(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) == 0) continue;
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return QPoint(x, y);
    }
    return std::nullopt;
}

// Changes channels as a meter stream does, and then some: steps, jumps, changes of less than a
// pixel, levels and peaks at the floor, the red threshold and past 0 dB, not-a-number, clips on
// and off. The same seed gives the same changes.
class StreamLikeChanges {
public:
    explicit StreamLikeChanges(unsigned seed) : random_(seed) {}

    void step(std::vector<MeterChannel>& channels) {
        for (MeterChannel& channel : channels) {
            const double pick = unit();
            if (pick < 0.4) channel.level += (unit() - 0.5) * 6;
            else if (pick < 0.5) channel.level = -80 + 84 * unit();
            else if (pick < 0.6) channel.level += 1e-4;
            else if (pick < 0.65) channel.level = edge();
            if (std::isnan(channel.level) && unit() < 0.5) channel.level = -20;
            const double peakPick = unit();
            if (peakPick < 0.3) channel.peak -= unit() * 2;
            else if (peakPick < 0.4) channel.peak = std::isnan(channel.level) ? -70 : channel.level;
            else if (peakPick < 0.45) channel.peak = edge();
            if (unit() < 0.05) channel.clip = !channel.clip;
        }
    }

private:
    double unit() { return std::uniform_real_distribution<double>(0, 1)(random_); }
    double edge() {
        static constexpr std::array<double, 10> edges{-60, -59.9, -59.6, -59.5, -0.01, 0, 0.5, 3, -77, NAN};
        return edges[static_cast<std::size_t>(unit() * edges.size()) % edges.size()];
    }

    std::mt19937 random_;
};

// Shows `view` (offscreen) with `channels`, then changes them `steps` times: after every change,
// the repaints the view asked for, drawn at `ratio` over what was there, must give exactly the
// picture of a full paint of the same state.
inline void expectRepaintsToMatchFullPaints(RecordingMeterView& view, std::vector<MeterChannel> channels, int steps,
                                            double ratio = 1.0) {
    view.setChannels(channels);
    view.show();
    QCoreApplication::processEvents();
    ASSERT_DOUBLE_EQ(view.devicePixelRatioF(), ratio);
    QImage screen = renderMeters(view, ratio);
    StreamLikeChanges changes(13);
    for (int step = 0; step < steps; ++step) {
        changes.step(channels);
        view.painted.clear();
        view.setChannels(channels);
        QCoreApplication::processEvents();
        for (const QRegion& region : view.painted) {
            QPainter painter(&screen);
            view.paint(painter, region);
        }
        const auto difference = firstDifference(screen, renderMeters(view, ratio));
        ASSERT_FALSE(difference) << "step " << step << ": stale pixel at " << difference->x() << ", "
                                 << difference->y();
    }
}

}  // namespace quillmark::testing
