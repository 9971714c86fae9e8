// vantrel-icon FILE SIZE: the program's icon as a PNG of SIZE pixels for the
// desktop, enlarged from the icon resource without blurring its pixels.

#include "platform/paint/bitmap_images.h"
#include "res/resource.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 16) {
        std::fprintf(stderr, "usage: vantrel-icon FILE SIZE\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    QImage icon = IconImage(IDI_VANTREL).scaled(size, size, Qt::KeepAspectRatio, Qt::FastTransformation);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "vantrel-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
