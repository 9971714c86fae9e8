#include "platform/recording_surface.h"

RecordingSurface::RecordingSurface(PaintSurface* inner, int width, int height)
    : inner_(inner), width_(width), height_(height) {}

void RecordingSurface::FillRect(const PaintRect& rect, Color color) {
    fills.push_back({rect, color});
    if (inner_) inner_->FillRect(rect, color);
}

void RecordingSurface::SetTextColor(Color color) {
    textColor_ = color;
    if (inner_) inner_->SetTextColor(color);
}

void RecordingSurface::SelectFont(const FontSpec* font) {
    if (font)
        font_ = *font;
    else
        font_.reset();
    if (inner_) inner_->SelectFont(font);
}

void RecordingSurface::TextOut(int x, int y, std::u16string_view text) {
    texts.push_back({x, y, std::u16string(text), textColor_, font_});
    if (inner_) inner_->TextOut(x, y, text);
}

void RecordingSurface::Line(int x1, int y1, int x2, int y2) {
    lines.push_back({x1, y1, x2, y2});
    if (inner_) inner_->Line(x1, y1, x2, y2);
}

void RecordingSurface::Polyline(const PaintPoint* points, int count) {
    for (int i = 0; i + 1 < count; ++i) lines.push_back({points[i].x, points[i].y, points[i + 1].x, points[i + 1].y});
    if (inner_) inner_->Polyline(points, count);
}

void RecordingSurface::SelectSolidBrush(Color color) {
    brush_ = color;
    if (inner_) inner_->SelectSolidBrush(color);
}

void RecordingSurface::SelectDefaultBrush() {
    brush_ = kWhite;
    if (inner_) inner_->SelectDefaultBrush();
}

void RecordingSurface::Rectangle(const PaintRect& rect) {
    rects.push_back({rect, brush_});
    if (inner_) inner_->Rectangle(rect);
}

// A surface that passes drawing on has the size of the surface it draws on.
int RecordingSurface::Width() const { return inner_ ? inner_->Width() : width_; }
int RecordingSurface::Height() const { return inner_ ? inner_->Height() : height_; }

const DrawnText* RecordingSurface::FindText(std::u16string_view text) const {
    for (const DrawnText& drawn : texts)
        if (drawn.text == text) return &drawn;
    return nullptr;
}
