#include "platform/x11/XcbDirectWindowSurface.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace quillmark {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

constexpr std::size_t kPutImageHeaderBytes = 24;

const xcb_visualtype_t* findVisual(xcb_connection_t* connection, xcb_visualid_t id) {
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem; xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem; xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == id) return visuals.data;
            }
        }
    }
    return nullptr;
}

int bitsPerPixel(xcb_connection_t* connection, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats)) {
        if (formats.data->depth == depth) return formats.data->bits_per_pixel;
    }
    return 0;
}

// An RGB32 image's bytes are the server's pixels as they stand only for a true-colour visual with
// 8-bit channels in the usual places, 32 bits per pixel, in this machine's byte order.
bool takesRgb32AsItIs(xcb_connection_t* connection, const xcb_visualtype_t& visual, std::uint8_t depth) {
    const bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    const std::uint8_t order = littleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    return visual._class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.red_mask == 0xff0000 &&
           visual.green_mask == 0x00ff00 && visual.blue_mask == 0x0000ff && (depth == 24 || depth == 32) &&
           bitsPerPixel(connection, depth) == 32 && xcb_get_setup(connection)->image_byte_order == order;
}

QImage asRgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

std::unique_ptr<XcbDirectWindowSurface> XcbDirectWindowSurface::open(xcb_connection_t* connection,
                                                                     xcb_window_t window) {
    const auto attributesCookie = xcb_get_window_attributes(connection, window);
    const auto geometryCookie = xcb_get_geometry(connection, window);
    ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, attributesCookie, nullptr), &std::free);
    ReplyPointer<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryCookie, nullptr),
                                                    &std::free);
    if (!attributes || !geometry) return nullptr;
    const xcb_visualtype_t* visual = findVisual(connection, attributes->visual);
    if (!visual || !takesRgb32AsItIs(connection, *visual, geometry->depth)) return nullptr;
    return std::unique_ptr<XcbDirectWindowSurface>(new XcbDirectWindowSurface(connection, window, geometry->depth));
}

XcbDirectWindowSurface::XcbDirectWindowSurface(xcb_connection_t* connection, xcb_window_t window, std::uint8_t depth)
    : connection_(connection), window_(window), depth_(depth), alpha_(depth == 32 ? 0xff000000u : 0u),
      gc_(xcb_generate_id(connection)),
      maximumRequestBytes_(static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4) {
    // Without exposure events a copy never sends a NoExpose for the reader thread to pass on.
    const std::uint32_t values[] = {0};
    xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, values);
}

XcbDirectWindowSurface::~XcbDirectWindowSurface() {
    freeKept();
    xcb_free_gc(connection_, gc_);
    xcb_flush(connection_);
}

void XcbDirectWindowSurface::fill(const QRect& rect, QRgb colour) {
    if (rect.isEmpty()) return;
    const std::uint32_t pixel = (colour & 0xffffffu) | alpha_;
    if (!foregroundSet_ || pixel != foreground_) {
        xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &pixel);
        foreground_ = pixel;
        foregroundSet_ = true;
    }
    const xcb_rectangle_t area{static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
                               static_cast<std::uint16_t>(rect.width()), static_cast<std::uint16_t>(rect.height())};
    xcb_poly_fill_rectangle(connection_, window_, gc_, 1, &area);
}

void XcbDirectWindowSurface::keep(const QImage& image) {
    freeKept();
    if (image.isNull()) return;
    kept_ = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, depth_, kept_, window_, static_cast<std::uint16_t>(image.width()),
                      static_cast<std::uint16_t>(image.height()));
    putOn(kept_, asRgb32(image), QPoint(0, 0));
}

void XcbDirectWindowSurface::copyKept(const QRect& source, const QPoint& target) {
    if (kept_ == XCB_NONE || source.isEmpty()) return;
    xcb_copy_area(connection_, kept_, window_, gc_, static_cast<std::int16_t>(source.x()),
                  static_cast<std::int16_t>(source.y()), static_cast<std::int16_t>(target.x()),
                  static_cast<std::int16_t>(target.y()), static_cast<std::uint16_t>(source.width()),
                  static_cast<std::uint16_t>(source.height()));
}

void XcbDirectWindowSurface::put(const QImage& image, const QPoint& target) {
    if (!image.isNull()) putOn(window_, asRgb32(image), target);
}

void XcbDirectWindowSurface::flush() { xcb_flush(connection_); }

// In bands of whole rows, each within the largest request the server takes.
void XcbDirectWindowSurface::putOn(xcb_drawable_t drawable, const QImage& image, const QPoint& target) {
    const auto rowBytes = static_cast<std::size_t>(image.bytesPerLine());
    const int bandRows =
        static_cast<int>(std::max<std::size_t>(1, (maximumRequestBytes_ - kPutImageHeaderBytes) / rowBytes));
    for (int top = 0; top < image.height(); top += bandRows) {
        const int rows = std::min(bandRows, image.height() - top);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc_, static_cast<std::uint16_t>(image.width()),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(target.x()),
                      static_cast<std::int16_t>(target.y() + top), 0, depth_,
                      static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)), image.constScanLine(top));
    }
}

void XcbDirectWindowSurface::freeKept() {
    if (kept_ == XCB_NONE) return;
    xcb_free_pixmap(connection_, kept_);
    kept_ = XCB_NONE;
}

}  // namespace quillmark
