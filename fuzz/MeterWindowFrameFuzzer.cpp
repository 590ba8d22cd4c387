// The saved meter window frame: any text gives a finite frame or nothing, and a frame written out
// reads back as itself.
#include "FuzzCheck.h"
#include "app/meters/MeterWindowFrame.h"

#include <cmath>
#include <cstdint>

using namespace quillmark;
using quillmark::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto frame = MeterWindowFrame::parse(text);
    if (!frame) return 0;
    for (double value : {frame->x(), frame->y(), frame->width(), frame->height()})
        check(std::isfinite(value), "a parsed frame is finite");
    check(MeterWindowFrame::parse(MeterWindowFrame::format(*frame)) == *frame, "a frame reads back as written");
    const std::vector<QRectF> screens{QRectF(0, 0, 1920, 1080), QRectF(1920, -200, 2560, 1440)};
    if (const auto usable = MeterWindowFrame::validated(text, screens)) {
        check(usable->width() >= MeterWindowFrame::minimumWidth, "a usable frame is wide enough");
        check(MeterWindowFrame::isOnAScreen(*usable, screens), "a usable frame is on a screen");
    }
    return 0;
}
