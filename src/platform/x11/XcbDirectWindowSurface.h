#pragma once

#include "platform/windows/DirectWindowSurface.h"

#include <xcb/xcb.h>

#include <memory>

namespace quillmark {

// The surface as core X requests on the application's connection: one graphics context without
// exposure events (so a copy never wakes the reader), PolyFillRectangle, CopyArea from a pixmap,
// PutImage in bands within the request size.
class XcbDirectWindowSurface final : public DirectWindowSurface {
public:
    // Null unless the window's visual is true colour at 32 bits per pixel in the byte order
    // of an RGB32 image on this machine.
    static std::unique_ptr<XcbDirectWindowSurface> open(xcb_connection_t* connection, xcb_window_t window);
    ~XcbDirectWindowSurface() override;
    XcbDirectWindowSurface(const XcbDirectWindowSurface&) = delete;
    XcbDirectWindowSurface& operator=(const XcbDirectWindowSurface&) = delete;

    WId window() const override { return window_; }
    void fill(const QRect& rect, QRgb colour) override;
    void keep(const QImage& image) override;
    void copyKept(const QRect& source, const QPoint& target) override;
    void put(const QImage& image, const QPoint& target) override;
    void flush() override;

private:
    XcbDirectWindowSurface(xcb_connection_t* connection, xcb_window_t window, std::uint8_t depth);
    void putOn(xcb_drawable_t drawable, const QImage& image, const QPoint& target);
    void freeKept();

    xcb_connection_t* connection_;
    xcb_window_t window_;
    std::uint8_t depth_;
    std::uint32_t alpha_;  // the bits of a depth-32 visual that no colour uses, set in every pixel
    xcb_gcontext_t gc_;
    std::uint32_t foreground_ = 0;
    bool foregroundSet_ = false;
    xcb_pixmap_t kept_ = XCB_NONE;
    std::size_t maximumRequestBytes_;
};

}  // namespace quillmark
