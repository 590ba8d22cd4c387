#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

#include <optional>

class QPainter;

namespace quillmark {

// The soft shadow a filled rectangle casts with zero offset: a Gaussian blur of its shape in one
// colour. QPainter has no shadow of its own; the HUD's glow tip needs one. The blurred image is made
// once and kept while the shape's size, the blur radius, the colour and the device's pixel ratio stay
// the same: moving the shape only moves the image.
class BlurredShadow {
public:
    // Paints the shadow of `rect` (in the painter's coordinates) with the given blur radius, whose
    // Gaussian has a standard deviation of half the radius.
    void paint(QPainter& painter, const QRectF& rect, qreal blurRadius, const QColor& colour);

    // The blurred image the last paint drew; null before the first.
    const QImage& image() const { return image_; }

private:
    struct Key {
        QSizeF size;
        qreal blurRadius = 0;
        QRgb colour = 0;
        qreal ratio = 1;
        bool operator==(const Key&) const = default;
    };
    void build(const Key& key);

    std::optional<Key> key_;
    QImage image_;
    int margin_ = 0;  // device pixels between the image's edges and the shape
};

}  // namespace quillmark
