#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <qwindowdefs.h>  // WId

#include <memory>

namespace quillmark {

// Drawing onto a native window past the toolkit's backing store, in the window's device pixels:
// solid rectangles, copies from one image kept on the display, and whole images put in place.
// For content that changes many times a second in small parts, where painting a backing store
// and flushing it would cost more than the change. Requests go out at flush(); nothing waits for
// an answer, and nothing is kept of what was drawn, so the owner redraws on expose.
class DirectWindowSurface {
public:
    virtual ~DirectWindowSurface() = default;

    // Whether windows of this application can be drawn on directly at all (Qt's xcb platform).
    static bool isAvailable();
    // A surface on the native window `window`, or null when it cannot be drawn on directly (not
    // on X11, or a pixel format other than 32-bit true colour).
    static std::unique_ptr<DirectWindowSurface> open(WId window);

    virtual WId window() const = 0;
    virtual void fill(const QRect& rect, QRgb colour) = 0;
    // Keeps `image` (RGB32) on the display for copyKept, in place of the one kept before.
    virtual void keep(const QImage& image) = 0;
    virtual void copyKept(const QRect& source, const QPoint& target) = 0;
    // Puts all of `image` (RGB32) with its top-left corner at `target`.
    virtual void put(const QImage& image, const QPoint& target) = 0;
    virtual void flush() = 0;
};

}  // namespace quillmark
