#pragma once
// A surface that records what is drawn (and passes it on to another surface
// when given one), so tests can check texts, positions, colours and fonts.

#include "platform/paint_surface.h"

#include <optional>
#include <string>
#include <vector>

struct DrawnText {
    int x = 0, y = 0;
    std::u16string text;
    Color color;
    std::optional<FontSpec> font;  // empty: the default font
};

struct DrawnLine {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct DrawnRect {
    PaintRect rect;
    Color brush;  // the brush it was filled with
};

struct DrawnFill {
    PaintRect rect;
    Color color;
};

class RecordingSurface : public PaintSurface {
public:
    explicit RecordingSurface(PaintSurface* inner = nullptr, int width = 240, int height = 320);

    void FillRect(const PaintRect& rect, Color color) override;
    void SetTextColor(Color color) override;
    void SelectFont(const FontSpec* font) override;
    void TextOut(int x, int y, std::u16string_view text) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const PaintPoint* points, int count) override;
    void SelectSolidBrush(Color color) override;
    void SelectDefaultBrush() override;
    void Rectangle(const PaintRect& rect) override;
    int Width() const override;
    int Height() const override;

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;  // polylines are recorded as their segments
    std::vector<DrawnRect> rects;
    std::vector<DrawnFill> fills;

    // The first text drawn with exactly this content, or nullptr.
    const DrawnText* FindText(std::u16string_view text) const;

private:
    PaintSurface* inner_;
    int width_, height_;
    Color textColor_ = kBlack;
    std::optional<FontSpec> font_;
    Color brush_ = kWhite;
};
