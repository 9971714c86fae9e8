#include "platform/paint/bitmap_images.h"

#include "platform/paint/bitmap_resource.h"

#include <QPixmap>

const PaletteEntry* BitmapPixel(const BitmapResource& bitmap, int x, int y) {
    if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return nullptr;
    const std::string_view row = bitmap.rows[static_cast<std::size_t>(y)];
    if (static_cast<std::size_t>(x) >= row.size()) return nullptr;
    for (const PaletteEntry& entry : bitmap.palette) {
        if (entry.key == row[static_cast<std::size_t>(x)]) return &entry;
    }
    return nullptr;
}

namespace {

QImage ToImage(const BitmapResource& bitmap, std::optional<Color> transparent) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const PaletteEntry* entry = BitmapPixel(bitmap, x, y);
            if (!entry || entry->transparent || (transparent && entry->color == *transparent)) continue;
            image.setPixel(x, y, qRgb(entry->color.red, entry->color.green, entry->color.blue));
        }
    }
    return image;
}

}  // namespace

QImage BitmapImage(int id, std::optional<Color> transparent) {
    const BitmapResource* bitmap = FindBitmap(id);
    return bitmap ? ToImage(*bitmap, transparent) : QImage();
}

QImage IconImage(int id) {
    const BitmapResource* icon = FindIcon(id);
    return icon ? ToImage(*icon, std::nullopt) : QImage();
}

QIcon WindowIcon(int id) {
    const QImage image = IconImage(id);
    if (image.isNull()) return QIcon();
    QIcon icon;
    // Pixel art: enlarged without smoothing for the bigger window-manager sizes.
    for (int size : {16, 32, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    return icon;
}
