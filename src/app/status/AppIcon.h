#pragma once

#include <QByteArray>
#include <QImage>

#include <array>

namespace quillmark {

// The program's icon in the desktop's application list: the tray icon's ring and arc in the HUD's
// accent colour on a dark rounded tile, as PNG images and as SVG.
class AppIcon {
public:
    // The square sizes, in pixels, the install ships as PNG.
    static constexpr std::array<int, 9> sizes{16, 22, 24, 32, 48, 64, 128, 256, 512};

    // The icon as a `size` x `size` image, transparent outside the tile.
    static QImage image(int size);
    // The same drawing as an SVG document.
    static QByteArray svg();
};

}  // namespace quillmark
