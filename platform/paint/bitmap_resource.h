#pragma once
// Bitmaps and icons as readable pictures: rows of characters, each character
// a palette entry. The program's own pictures are defined in res/ as this
// data; painting turns them into images.

#include "platform/paint_surface.h"

#include <span>
#include <string_view>

struct PaletteEntry {
    char key;
    Color color;
    bool transparent = false;  // icons only: the see-through background
};

struct BitmapResource {
    int id;
    int width, height;
    std::span<const std::string_view> rows;  // `height` rows of `width` characters
    std::span<const PaletteEntry> palette;
};

// Defined in res/; nullptr for an unknown id.
const BitmapResource* FindBitmap(int id);
const BitmapResource* FindIcon(int id);

// The palette entry of pixel (x, y); nullptr outside the picture or for a key the palette lacks.
const PaletteEntry* BitmapPixel(const BitmapResource& bitmap, int x, int y);
