#include "app/hud/BlurredShadow.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>
#include <vector>

namespace quillmark {

namespace {

std::vector<float> gaussianKernel(double sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        const double weight = std::exp(-(i * i) / (2 * sigma * sigma));
        kernel[static_cast<std::size_t>(i + radius)] = static_cast<float>(weight);
        sum += weight;
    }
    for (float& weight : kernel) weight = static_cast<float>(weight / sum);
    return kernel;
}

// One pass of the separable blur over a single-channel buffer, along x (step 1) or y (step width).
std::vector<float> blurPass(const std::vector<float>& in, int width, int height, bool alongX,
                            const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    std::vector<float> out(in.size(), 0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int sx = alongX ? x + k : x;
                const int sy = alongX ? y : y + k;
                if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
                sum += in[static_cast<std::size_t>(sy * width + sx)] * kernel[static_cast<std::size_t>(k + radius)];
            }
            out[static_cast<std::size_t>(y * width + x)] = sum;
        }
    }
    return out;
}

}  // namespace

void BlurredShadow::paint(QPainter& painter, const QRectF& rect, qreal blurRadius, const QColor& colour) {
    if (rect.isEmpty() || blurRadius <= 0) return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const Key key{rect.size(), blurRadius, colour.rgba(), ratio};
    if (key_ != key) build(key);
    // The image lands on whole device pixels, so a shape between two pixels casts the shadow of the
    // nearer one: at most half a pixel off under a blur several pixels wide.
    const QPointF shape(std::round(rect.left() * ratio) / ratio, std::round(rect.top() * ratio) / ratio);
    painter.drawImage(shape - QPointF(margin_, margin_) / ratio, image_);
}

void BlurredShadow::build(const Key& key) {
    const double sigma = key.blurRadius / 2 * key.ratio;
    const std::vector<float> kernel = gaussianKernel(sigma);
    margin_ = static_cast<int>(kernel.size() / 2);
    const QSizeF shapeSize = key.size * key.ratio;
    const int width = static_cast<int>(std::ceil(shapeSize.width())) + 2 * margin_;
    const int height = static_cast<int>(std::ceil(shapeSize.height())) + 2 * margin_;

    QImage shape(width, height, QImage::Format_Alpha8);
    shape.fill(0);
    {
        QPainter shapePainter(&shape);
        shapePainter.setRenderHint(QPainter::Antialiasing);
        shapePainter.fillRect(QRectF(QPointF(margin_, margin_), shapeSize), Qt::black);
    }

    std::vector<float> alpha(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uchar* line = shape.constScanLine(y);
        for (int x = 0; x < width; ++x) alpha[static_cast<std::size_t>(y * width + x)] = line[x] / 255.0f;
    }
    alpha = blurPass(blurPass(alpha, width, height, true, kernel), width, height, false, kernel);

    const QColor colour = QColor::fromRgba(key.colour);
    image_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double a = alpha[static_cast<std::size_t>(y * width + x)] * colour.alphaF();
            line[x] = qRgba(static_cast<int>(std::lround(colour.red() * a)),
                            static_cast<int>(std::lround(colour.green() * a)),
                            static_cast<int>(std::lround(colour.blue() * a)), static_cast<int>(std::lround(255 * a)));
        }
    }
    image_.setDevicePixelRatio(key.ratio);
    key_ = key;
}

}  // namespace quillmark
