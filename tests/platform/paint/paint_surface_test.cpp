// The drawing rules of the Qt paint surface, checked on the pixels it leaves.

#include "platform/paint/fonts.h"
#include "platform/paint/qt_paint_surface.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 300, kHeight = 60;

class Canvas {
public:
    Canvas() : image_(kWidth, kHeight, QImage::Format_RGB32) { image_.fill(Qt::white); }
    // Draws through a fresh surface, as each paint does.
    template <class Draw>
    void Paint(Draw draw) {
        QtPaintSurface surface(image_, 1.0, kWidth, kHeight);
        draw(surface);
    }
    QColor At(int x, int y) const { return image_.pixelColor(x, y); }
    bool Black(int x, int y) const { return At(x, y) == QColor(Qt::black); }
    bool White(int x, int y) const { return At(x, y) == QColor(Qt::white); }
    // The rightmost column holding anything but white, -1 when blank.
    int LastInkColumn() const {
        for (int x = kWidth - 1; x >= 0; --x)
            for (int y = 0; y < kHeight; ++y)
                if (!White(x, y)) return x;
        return -1;
    }

private:
    QImage image_;
};

TEST(QtPaintSurface, LinesLeaveOutTheirSecondPointInEitherDirection) {
    Canvas canvas;
    canvas.Paint([](PaintSurface& s) {
        s.Line(10, 5, 20, 5);
        s.Line(20, 8, 10, 8);
        s.Line(40, 10, 40, 20);
        s.Line(42, 20, 42, 10);
        s.Line(50, 50, 50, 50);
        s.Line(60, 30, 65, 35);
    });
    EXPECT_TRUE(canvas.Black(10, 5) && canvas.Black(19, 5));
    EXPECT_TRUE(canvas.White(20, 5) && canvas.White(9, 5));
    EXPECT_TRUE(canvas.Black(11, 8) && canvas.Black(20, 8));  // from 20 to 10 covers 11..20
    EXPECT_TRUE(canvas.White(10, 8) && canvas.White(21, 8));
    EXPECT_TRUE(canvas.Black(40, 10) && canvas.Black(40, 19) && canvas.White(40, 20));
    EXPECT_TRUE(canvas.Black(42, 11) && canvas.Black(42, 20) && canvas.White(42, 10));
    EXPECT_TRUE(canvas.White(50, 50));  // zero length draws nothing
    EXPECT_TRUE(canvas.Black(60, 30) && canvas.Black(64, 34) && canvas.White(65, 35));

    Canvas chart;
    const PaintPoint points[] = {{5, 5}, {15, 5}, {15, 15}};
    chart.Paint([&](PaintSurface& s) { s.Polyline(points, 3); });
    EXPECT_TRUE(chart.Black(5, 5) && chart.Black(15, 5) && chart.Black(15, 14));
    EXPECT_TRUE(chart.White(15, 15));
}

TEST(QtPaintSurface, RectanglesOutlineInsideTheirEdgesAndFillWithTheBrush) {
    Canvas canvas;
    canvas.Paint([](PaintSurface& s) {
        s.SelectSolidBrush({0, 255, 0});
        s.Rectangle({10, 10, 15, 14});
        s.Rectangle({30, 30, 31, 31});  // 1 by 1: nothing
        s.Rectangle({70, 10, 71, 20});  // one pixel wide: its column
        s.Rectangle({80, 10, 90, 11});  // one pixel high: its row
        s.SelectDefaultBrush();
        s.Rectangle({40, 10, 44, 14});
        s.SelectSolidBrush({255, 0, 0});
        s.Rectangle({60, 20, 55, 15});  // corners given in reverse
    });
    for (int x = 10; x <= 14; ++x) EXPECT_TRUE(canvas.Black(x, 10) && canvas.Black(x, 13)) << x;
    for (int y = 10; y <= 13; ++y) EXPECT_TRUE(canvas.Black(10, y) && canvas.Black(14, y)) << y;
    EXPECT_EQ(canvas.At(11, 11), QColor(0, 255, 0));
    EXPECT_EQ(canvas.At(13, 12), QColor(0, 255, 0));
    EXPECT_TRUE(canvas.White(15, 10) && canvas.White(10, 14));  // right and bottom edges left out
    EXPECT_TRUE(canvas.White(30, 30));
    EXPECT_TRUE(canvas.Black(70, 10) && canvas.Black(70, 19) && canvas.White(70, 20) && canvas.White(71, 15));
    EXPECT_TRUE(canvas.Black(80, 10) && canvas.Black(89, 10) && canvas.White(90, 10) && canvas.White(85, 11));
    EXPECT_TRUE(canvas.Black(40, 10) && canvas.White(41, 11));
    EXPECT_TRUE(canvas.Black(55, 15) && canvas.Black(59, 19) && canvas.White(60, 20));
    EXPECT_EQ(canvas.At(57, 17), QColor(255, 0, 0));

    Canvas filled;
    filled.Paint([](PaintSurface& s) { s.FillRect({2, 2, 6, 5}, {0, 0, 255}); });
    EXPECT_EQ(filled.At(2, 2), QColor(0, 0, 255));
    EXPECT_EQ(filled.At(5, 4), QColor(0, 0, 255));
    EXPECT_TRUE(filled.White(6, 4) && filled.White(5, 5));
}

TEST(QtPaintSurface, TextStandsOnAnOpaqueWhiteCellFromItsTopLeftCorner) {
    Canvas canvas;
    canvas.Paint([](PaintSurface& s) {
        s.FillRect({0, 0, kWidth, kHeight}, {0, 255, 255});
        s.SetTextColor(kNavy);
        s.TextOut(20, 10, u"Test Name");
    });
    const QFontMetrics metrics(DefaultUiFont());
    const int advance = metrics.horizontalAdvance(QStringLiteral("Test Name"));
    EXPECT_TRUE(canvas.White(20, 10));  // the cell's corner, above the letters
    EXPECT_TRUE(canvas.White(20 + advance - 1, 10));
    EXPECT_EQ(canvas.At(19, 10), QColor(0, 255, 255));
    EXPECT_EQ(canvas.At(20, 9), QColor(0, 255, 255));
    EXPECT_EQ(canvas.At(20 + advance + 1, 12), QColor(0, 255, 255));
    EXPECT_EQ(canvas.At(20, 10 + metrics.height() + 1), QColor(0, 255, 255));
    // The letters are in the text colour (smoothed edges blend it with the white cell).
    bool navy = false;
    for (int x = 20; x < 20 + advance; ++x)
        for (int y = 10; y < 10 + metrics.height(); ++y) {
            const QColor c = canvas.At(x, y);
            navy = navy || (c.red() < 90 && c.red() == c.green() && c.blue() > c.red() + 60);
        }
    EXPECT_TRUE(navy);
}

TEST(QtPaintSurface, DefaultFontFitsTheLongestLabelsOnTheNarrowScreen) {
    Canvas patient, about;
    patient.Paint([](PaintSurface& s) { s.TextOut(10, 40 - 35, u"Please Enter your personal information:"); });
    about.Paint([](PaintSurface& s) { s.TextOut(5, 10, u"and is not intended to replace medical help"); });
    EXPECT_LT(patient.LastInkColumn(), 230);
    EXPECT_LT(about.LastInkColumn(), 230);
    EXPECT_LE(QFontMetrics(DefaultUiFont()).height(), 15);  // drawn lines stand 15 pixels apart
}

TEST(QtPaintSurface, ScaledSurfaceDrawsTheSameShapesAtFinerResolution) {
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtPaintSurface surface(image, 2.0, 50, 50);
        EXPECT_EQ(surface.Width(), 50);
        surface.Line(10, 5, 20, 5);
        surface.SelectSolidBrush({255, 0, 0});
        surface.Rectangle({30, 30, 35, 35});
    }
    EXPECT_EQ(image.pixelColor(20, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(39, 11), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(40, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(60, 60), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(64, 64), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(70, 70), QColor(Qt::white));
}

}  // namespace
