#include "platform/ui/image_list_data.h"

#include "platform/paint/bitmap_images.h"

#include <QPixmap>

bool CImageList::Create(int width, int height, bool /*masked*/, int /*initial*/, int /*grow*/) {
    if (width <= 0 || height <= 0) return false;
    data_ = std::make_shared<Data>();
    data_->width = width;
    data_->height = height;
    return true;
}

int CImageList::Add(int bitmapId, Color transparent) {
    if (!data_) return -1;
    const QImage image = BitmapImage(bitmapId, transparent);
    if (image.isNull()) return -1;
    QIcon icon;
    // Pixel art: larger sizes are whole-pixel enlargements, never smoothed.
    for (int factor : {1, 2, 3, 4}) {
        icon.addPixmap(QPixmap::fromImage(image.scaled(data_->width * factor, data_->height * factor,
                                                       Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    data_->pictures.push_back(icon);
    return static_cast<int>(data_->pictures.size()) - 1;
}

int CImageList::Count() const { return data_ ? static_cast<int>(data_->pictures.size()) : 0; }

QIcon ImageListPicture(const CImageList::Data* images, int index) {
    if (!images) return QIcon();
    if (index < 0 || index >= static_cast<int>(images->pictures.size())) {
        // Rows without a picture keep the picture's room, so every text starts in one column.
        QPixmap blank(images->width, images->height);
        blank.fill(Qt::transparent);
        return QIcon(blank);
    }
    return images->pictures[static_cast<std::size_t>(index)];
}
