#include "app/status/AppIcon.h"
#include "app/look/HUDTokens.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace quillmark {
namespace {

QColor opaque(QRgb pixel) { return QColor::fromRgba(pixel); }

// The tray icon's ring and arc in the accent on the dark tile, at every size the install ships.
TEST(AppIcon, DrawsTheTrayMarkOnADarkTileAtEverySize) {
    const QColor tile = HUDTokens::resolve(HUDTokens::bg, true);
    const QColor ink = HUDTokens::resolve(HUDTokens::accent, true);
    for (const int size : AppIcon::sizes) {
        const QImage image = AppIcon::image(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        auto at = [&](double x, double y) {  // in the tray icon's 22-unit square
            return image.pixel(int(x * size / 22.0), int(y * size / 22.0));
        };
        EXPECT_EQ(qAlpha(at(0.2, 0.2)), 0) << size;   // outside the rounded tile
        EXPECT_EQ(opaque(at(11, 11)), tile) << size;  // the hollow centre shows the tile
        if (size < 32) continue;                      // below that the strokes blur into the tile
        EXPECT_EQ(opaque(at(11, 5.4)), ink) << size;  // the arc's top
        EXPECT_EQ(opaque(at(5.4, 11)), ink) << size;  // and its left
        const QColor ring = opaque(at(11, 16.6));     // the faint ring alone below
        EXPECT_GT(ring.green(), tile.green() + 20) << size;
        EXPECT_LT(ring.green(), ink.green() - 60) << size;
    }
}

TEST(AppIcon, TheSvgIsWellFormedAndUsesTheSameColoursAndGeometry) {
    QXmlStreamReader xml(AppIcon::svg());
    std::map<QString, QXmlStreamAttributes> elements;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) elements[xml.name().toString()] = xml.attributes();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    ASSERT_EQ(elements.count("svg"), 1u);
    EXPECT_EQ(elements["svg"].value("viewBox"), QStringLiteral("0 0 22 22"));
    EXPECT_EQ(elements["rect"].value("fill"), HUDTokens::resolve(HUDTokens::bg, true).name());
    EXPECT_EQ(elements["g"].value("stroke"), HUDTokens::resolve(HUDTokens::accent, true).name());
    EXPECT_EQ(elements["circle"].value("r"), QStringLiteral("7.000"));
    // From the lower left (225 degrees) clockwise over the top to 30.6 degrees: the larger arc.
    EXPECT_EQ(elements["path"].value("d"), QStringLiteral("M 6.050 15.950 A 7.000 7.000 0 1 1 17.025 7.437"));
}

}  // namespace
}  // namespace quillmark
