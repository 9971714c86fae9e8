// The drawing rules of the Qt paint surface, checked on the pixels it leaves.

#include "platform/paint/fonts.h"
#include "platform/paint/qt_paint_surface.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

constexpr int kWidth = 300, kHeight = 60;
const QColor kB(Qt::black), kW(Qt::white), kRedColor(255, 0, 0), kGreenColor(0, 255, 0), kCyanColor(0, 255, 255);

struct Dot {
    int x, y;
    QColor color;
};

// Draws through a fresh surface, as each paint does, on white.
template <class Draw>
QImage Painted(Draw draw, double scale = 1.0) {
    QImage image(static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtPaintSurface surface(image, scale, kWidth, kHeight);
        draw(surface);
    }
    return image;
}

void ExpectDots(const QImage& image, std::initializer_list<Dot> dots) {
    for (const Dot& dot : dots) EXPECT_EQ(image.pixelColor(dot.x, dot.y), dot.color) << dot.x << "," << dot.y;
}

// The rightmost column holding anything but white, -1 when blank.
int LastInkColumn(const QImage& image) {
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != kW) return x;
    return -1;
}

TEST(QtPaintSurface, LinesLeaveOutTheirSecondPointInEitherDirection) {
    const PaintPoint points[] = {{5, 25}, {15, 25}, {15, 35}};
    const QImage image = Painted([&](PaintSurface& s) {
        s.Line(10, 5, 20, 5);
        s.Line(20, 8, 10, 8);
        s.Line(40, 10, 40, 20);
        s.Line(42, 20, 42, 10);
        s.Line(50, 50, 50, 50);  // zero length draws nothing
        s.Line(60, 30, 65, 35);
        s.Polyline(points, 3);
    });
    ExpectDots(image, {{10, 5, kB}, {19, 5, kB}, {20, 5, kW}, {9, 5, kW},     // 10 to 20 covers 10..19
                       {11, 8, kB}, {20, 8, kB}, {10, 8, kW}, {21, 8, kW},    // 20 to 10 covers 11..20
                       {40, 10, kB}, {40, 19, kB}, {40, 20, kW}, {42, 11, kB}, {42, 20, kB}, {42, 10, kW},
                       {50, 50, kW}, {60, 30, kB}, {64, 34, kB}, {65, 35, kW},
                       {5, 25, kB}, {15, 25, kB}, {15, 34, kB}, {15, 35, kW}});
}

TEST(QtPaintSurface, RectanglesOutlineInsideTheirEdgesAndFillWithTheBrush) {
    const QImage image = Painted([](PaintSurface& s) {
        s.SelectSolidBrush({0, 255, 0});
        s.Rectangle({10, 10, 15, 14});
        s.Rectangle({30, 30, 31, 31});  // 1 by 1: nothing
        s.Rectangle({70, 10, 71, 20});  // one pixel wide: its column
        s.Rectangle({80, 10, 90, 11});  // one pixel high: its row
        s.SelectDefaultBrush();
        s.Rectangle({40, 10, 44, 14});
        s.SelectSolidBrush({255, 0, 0});
        s.Rectangle({60, 20, 55, 15});  // corners given in reverse
        s.FillRect({2, 40, 6, 43}, {0, 255, 255});
    });
    for (int x = 10; x <= 14; ++x) ExpectDots(image, {{x, 10, kB}, {x, 13, kB}});
    for (int y = 10; y <= 13; ++y) ExpectDots(image, {{10, y, kB}, {14, y, kB}});
    ExpectDots(image, {{11, 11, kGreenColor}, {13, 12, kGreenColor}, {15, 10, kW}, {10, 14, kW},  // right, bottom left out
                       {30, 30, kW}, {70, 10, kB}, {70, 19, kB}, {70, 20, kW}, {71, 15, kW},
                       {80, 10, kB}, {89, 10, kB}, {90, 10, kW}, {85, 11, kW}, {40, 10, kB}, {41, 11, kW},
                       {55, 15, kB}, {59, 19, kB}, {60, 20, kW}, {57, 17, kRedColor},
                       {2, 40, kCyanColor}, {5, 42, kCyanColor}, {6, 42, kW}, {5, 43, kW}});
}

TEST(QtPaintSurface, TextStandsOnAnOpaqueWhiteCellFromItsTopLeftCorner) {
    const QImage image = Painted([](PaintSurface& s) {
        s.FillRect({0, 0, kWidth, kHeight}, {0, 255, 255});
        s.SetTextColor(kNavy);
        s.TextOut(20, 10, u"Test Name");
    });
    const QFontMetrics metrics(DefaultUiFont());
    const int advance = metrics.horizontalAdvance(QStringLiteral("Test Name"));
    // The cell's corners above the letters; the fill around it.
    ExpectDots(image, {{20, 10, kW}, {20 + advance - 1, 10, kW}, {19, 10, kCyanColor}, {20, 9, kCyanColor},
                       {20 + advance + 1, 12, kCyanColor}, {20, 10 + metrics.height() + 1, kCyanColor}});
    // The letters are in the text colour (smoothed edges blend it with the white cell).
    bool navy = false;
    for (int x = 20; x < 20 + advance; ++x)
        for (int y = 10; y < 10 + metrics.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            navy = navy || (c.red() < 90 && c.red() == c.green() && c.blue() > c.red() + 60);
        }
    EXPECT_TRUE(navy);
}

TEST(QtPaintSurface, DefaultFontFitsTheLongestLabelsOnTheNarrowScreen) {
    const struct {
        int x;
        const char16_t* label;
    } longest[] = {{10, u"Please Enter your personal information:"}, {5, u"and is not intended to replace medical help"}};
    for (const auto& l : longest)
        EXPECT_LT(LastInkColumn(Painted([&](PaintSurface& s) { s.TextOut(l.x, 5, l.label); })), 230) << l.x;
    EXPECT_LE(QFontMetrics(DefaultUiFont()).height(), 15);  // drawn lines stand 15 pixels apart
}

TEST(QtPaintSurface, ScaledSurfaceDrawsTheSameShapesAtFinerResolution) {
    const QImage image = Painted(
        [](PaintSurface& s) {
            EXPECT_EQ(s.Width(), kWidth);
            s.Line(10, 5, 20, 5);
            s.SelectSolidBrush({255, 0, 0});
            s.Rectangle({30, 30, 35, 35});
        },
        2.0);
    ExpectDots(image, {{20, 10, kB}, {39, 11, kB}, {40, 10, kW}, {60, 60, kB}, {64, 64, kRedColor}, {70, 70, kW}});
}

}  // namespace
