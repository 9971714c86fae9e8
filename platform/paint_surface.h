#pragma once
// The drawing surface the windows paint on, with the handheld's rules:
// - text is drawn by its top-left corner, its cell first filled with the
//   background colour (white), never clipped;
// - a line covers its first point up to, not including, its second;
// - a rectangle (left, top, right, bottom) is outlined with the pen (solid
//   black, 1 pixel) on columns left..right-1 and rows top..bottom-1 and filled
//   inside with the current brush (white until one is selected).
// Pure C++: the Qt surface and the recording surface implement it.

#include <cstdint>
#include <string>
#include <string_view>

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Color&) const = default;
};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kNavy{0, 0, 128};

// A logical font: face, character height as the negative logical height
// (-12 is 12 pixels of character height), weight (400 normal, 700 bold), underline.
struct FontSpec {
    std::u16string face;
    int height = 0;
    int weight = 400;
    bool underline = false;
    bool operator==(const FontSpec&) const = default;
};

struct PaintPoint {
    int x = 0, y = 0;
    bool operator==(const PaintPoint&) const = default;
};

struct PaintRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PaintRect&) const = default;
};

class PaintSurface {
public:
    virtual ~PaintSurface() = default;

    virtual void FillRect(const PaintRect& rect, Color color) = 0;
    virtual void SetTextColor(Color color) = 0;
    // nullptr selects the surface's default font.
    virtual void SelectFont(const FontSpec* font) = 0;
    virtual void TextOut(int x, int y, std::u16string_view text) = 0;
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // Lines through the points in order, each end-exclusive like Line.
    virtual void Polyline(const PaintPoint* points, int count) = 0;
    virtual void SelectSolidBrush(Color color) = 0;
    // Back to the default white brush.
    virtual void SelectDefaultBrush() = 0;
    virtual void Rectangle(const PaintRect& rect) = 0;
    // Size of the client area in logical pixels.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};
