// vantrel-icon FILE.png SIZE | FILE.svg: the program's icon for the desktop,
// from the icon resource. A PNG of SIZE pixels is enlarged without blurring
// its pixels (and reduced smoothly below the resource's size); the SVG draws
// each run of like pixels as a square-edged rectangle, so it scales to any size.

#include "platform/paint/bitmap_images.h"
#include "platform/paint/bitmap_resource.h"
#include "res/resource.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Svg(const BitmapResource& icon) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(icon.width) +
                      "\" height=\"" + std::to_string(icon.height) + "\" viewBox=\"0 0 " +
                      std::to_string(icon.width) + " " + std::to_string(icon.height) +
                      "\" shape-rendering=\"crispEdges\">\n<title>Vantrel</title>\n";
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width;) {
            const PaletteEntry* entry = BitmapPixel(icon, x, y);
            int run = 1;
            while (x + run < icon.width && BitmapPixel(icon, x + run, y) == entry) ++run;
            if (entry && !entry->transparent) {
                char fill[8];
                std::snprintf(fill, sizeof fill, "#%02x%02x%02x", entry->color.red, entry->color.green,
                              entry->color.blue);
                svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
                       std::to_string(run) + "\" height=\"1\" fill=\"" + fill + "\"/>\n";
            }
            x += run;
        }
    }
    return svg + "</svg>\n";
}

bool WriteSvg(const char* file) {
    const BitmapResource* icon = FindIcon(IDI_VANTREL);
    if (!icon) return false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << Svg(*icon);
    out.close();
    return static_cast<bool>(out);
}

bool WritePng(const char* file, int size) {
    const QImage icon = IconImage(IDI_VANTREL);
    const Qt::TransformationMode mode = size < icon.width() ? Qt::SmoothTransformation : Qt::FastTransformation;
    const QImage scaled = icon.scaled(size, size, Qt::KeepAspectRatio, mode);
    return !scaled.isNull() && scaled.save(QString::fromLocal8Bit(file), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    const bool svg = argc == 2 && std::string(argv[1]).ends_with(".svg");
    if (!svg && (argc != 3 || std::atoi(argv[2]) < 16)) {
        std::fprintf(stderr, "usage: vantrel-icon FILE.png SIZE | FILE.svg\n");
        return 2;
    }
    if (!(svg ? WriteSvg(argv[1]) : WritePng(argv[1], std::atoi(argv[2])))) {
        std::fprintf(stderr, "vantrel-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
