#pragma once
// Fonts of drawn text and of the controls: the handheld's narrow system face
// and logical fonts.

#include "platform/paint_surface.h"

#include <QFont>

// The default face of drawn text and of every control, `pixelsPerLogical`
// widget pixels per logical pixel. A condensed sans face, sized so that the
// longest painted labels fit a 240-pixel-wide client area.
QFont DefaultUiFont(double pixelsPerLogical = 1.0);

// A logical font: character height -h as the pixel size, a positive height
// as the whole cell, 0 for the default size. "Verdana" and "System" resolve
// to installed faces of the same kind.
QFont ResolveFont(const FontSpec& logical);
