#pragma once
// Bitmap and icon resources as Qt images.

#include "platform/paint_surface.h"

#include <QIcon>
#include <QImage>

#include <optional>

// Bitmap resource `id`, pixels of colour `transparent` made see-through; a null image when unknown.
QImage BitmapImage(int id, std::optional<Color> transparent = std::nullopt);
// Icon resource `id` with its see-through background; a null image when unknown.
QImage IconImage(int id);
QIcon WindowIcon(int id);
