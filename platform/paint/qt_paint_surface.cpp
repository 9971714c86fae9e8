#include "platform/paint/qt_paint_surface.h"

#include "platform/paint/fonts.h"

#include <QFontMetricsF>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

QColor ToQColor(Color color) { return QColor(color.red, color.green, color.blue); }

QtPaintSurface::QtPaintSurface(QImage& image, double scale, int width, int height)
    : painter_(&image), scale_(scale), width_(width), height_(height), font_(DefaultUiFont()) {
    painter_.scale(scale, scale);
    painter_.setRenderHint(QPainter::TextAntialiasing);
}

void QtPaintSurface::FillPixels(int left, int top, int width, int height, const QColor& color) {
    if (width <= 0 || height <= 0) return;
    painter_.fillRect(QRect(left, top, width, height), color);
}

void QtPaintSurface::FillRect(const PaintRect& rect, Color color) {
    FillPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, ToQColor(color));
}

void QtPaintSurface::SetTextColor(Color color) { textColor_ = ToQColor(color); }

void QtPaintSurface::SelectFont(const FontSpec* font) { font_ = font ? ResolveFont(*font) : DefaultUiFont(); }

void QtPaintSurface::TextOut(int x, int y, std::u16string_view text) {
    const QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    painter_.setFont(font_);
    const QFontMetricsF metrics(font_, painter_.device());
    // Opaque background: the text's cell is filled white before the glyphs.
    const int cellWidth = static_cast<int>(std::ceil(metrics.horizontalAdvance(string)));
    const int cellHeight = static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()));
    FillPixels(x, y, cellWidth, cellHeight, Qt::white);
    painter_.setPen(textColor_);
    painter_.drawText(QPointF(x, y + metrics.ascent()), string);
}

void QtPaintSurface::Line(int x1, int y1, int x2, int y2) {
    // End-exclusive: the second point itself is never drawn.
    if (y1 == y2) {
        if (x2 > x1) FillPixels(x1, y1, x2 - x1, 1, Qt::black);
        else FillPixels(x2 + 1, y1, x1 - x2, 1, Qt::black);
        return;
    }
    if (x1 == x2) {
        if (y2 > y1) FillPixels(x1, y1, 1, y2 - y1, Qt::black);
        else FillPixels(x1, y2 + 1, 1, y1 - y2, Qt::black);
        return;
    }
    // Slanted: the pixels of the Bresenham walk from the first point, stopping before the second.
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int x = x1, y = y1, error = dx + dy;
    int lastX = x, lastY = y;
    const bool pixelExact = scale_ == 1.0;
    while (x != x2 || y != y2) {
        if (pixelExact) FillPixels(x, y, 1, 1, Qt::black);
        lastX = x;
        lastY = y;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    if (!pixelExact) {
        // On a finer screen the same run is drawn as a smooth line of one logical pixel.
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::SquareCap));
        painter_.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(lastX + 0.5, lastY + 0.5));
        painter_.restore();
    }
}

void QtPaintSurface::Polyline(const PaintPoint* points, int count) {
    for (int i = 0; i + 1 < count; ++i) Line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
}

void QtPaintSurface::SelectSolidBrush(Color color) { brush_ = ToQColor(color); }

void QtPaintSurface::SelectDefaultBrush() { brush_ = Qt::white; }

void QtPaintSurface::Rectangle(const PaintRect& rect) {
    const int left = std::min(rect.left, rect.right), right = std::max(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom), bottom = std::max(rect.top, rect.bottom);
    const int width = right - left, height = bottom - top;
    // The outline takes columns left..right-1 and rows top..bottom-1. One pixel
    // wide or high and longer, it is that one column or row; 1 by 1 draws nothing.
    if (width < 1 || height < 1 || (width == 1 && height == 1)) return;
    if (width == 1 || height == 1) {
        FillPixels(left, top, width, height, Qt::black);
    } else if (outline_ == 1) {
        FillPixels(left + 1, top + 1, width - 2, height - 2, brush_);
        FillPixels(left, top, width, 1, Qt::black);
        FillPixels(left, bottom - 1, width, 1, Qt::black);
        FillPixels(left, top + 1, 1, height - 2, Qt::black);
        FillPixels(right - 1, top + 1, 1, height - 2, Qt::black);
    } else {
        const QRectF box(left, top, width, height);
        painter_.fillRect(box, Qt::black);
        painter_.fillRect(box.adjusted(outline_, outline_, -outline_, -outline_), brush_);
    }
}
