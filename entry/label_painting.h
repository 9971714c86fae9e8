#pragma once
// The data-entry dialogs paint alike: a white client area with navy labels.

#include "platform/paint_surface.h"

#include <initializer_list>
#include <string_view>

struct Label {
    int x, y;  // top-left corner in pixels
    std::u16string_view text;
};

void PaintLabels(PaintSurface& dc, std::initializer_list<Label> labels);
