#pragma once
// The paint surface on a Qt image, with the handheld's drawing rules. All
// coordinates are logical pixels; the image may hold `scale` pixels per
// logical pixel, in which case lines and text are drawn at that resolution.

#include "platform/paint_surface.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

class QtPaintSurface : public PaintSurface {
public:
    // Paints on `image`, which covers width x height logical pixels.
    QtPaintSurface(QImage& image, double scale, int width, int height);

    // Rectangles are outlined this many logical pixels wide (1 on screen). At
    // print resolution a finer outline leaves narrow bars their fill.
    void SetOutlineWidth(double logicalPixels) { outline_ = logicalPixels; }

    void FillRect(const PaintRect& rect, Color color) override;
    void SetTextColor(Color color) override;
    void SelectFont(const FontSpec* font) override;
    void TextOut(int x, int y, std::u16string_view text) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const PaintPoint* points, int count) override;
    void SelectSolidBrush(Color color) override;
    void SelectDefaultBrush() override;
    void Rectangle(const PaintRect& rect) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }

private:
    void FillPixels(int left, int top, int width, int height, const QColor& color);

    QPainter painter_;
    double scale_;
    double outline_ = 1;
    int width_, height_;
    QColor textColor_{Qt::black};
    QColor brush_{Qt::white};
    QFont font_;
};

QColor ToQColor(Color color);
