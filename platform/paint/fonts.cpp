#include "platform/paint/fonts.h"

#include "platform/text.h"

#include <QFontMetricsF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDefaultPixelSize = 11;
const QString kDefaultFace = QStringLiteral("DejaVu Sans Condensed");

void InstallSubstitutions() {
    static const bool installed = [] {
        QFont::insertSubstitutions(QStringLiteral("Verdana"),
                                   QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
        return true;
    }();
    (void)installed;
}

}  // namespace

QFont DefaultUiFont(double pixelsPerLogical) {
    QFont font(kDefaultFace);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(kDefaultPixelSize * pixelsPerLogical))));
    return font;
}

QFont ResolveFont(const FontSpec& logical) {
    InstallSubstitutions();
    const bool system = logical.face.empty() || EqualsNoCase(logical.face, u"System");
    QFont font = system ? DefaultUiFont() : QFont(QString::fromStdU16String(logical.face));
    font.setStyleHint(QFont::SansSerif);
    if (logical.height < 0) {
        font.setPixelSize(-logical.height);
    } else if (logical.height > 0) {
        // A positive height is the whole cell, internal leading included.
        font.setPixelSize(logical.height);
        const QFontMetricsF metrics(font);
        const double cell = metrics.ascent() + metrics.descent();
        if (cell > 0) font.setPixelSize(std::max(1, static_cast<int>(logical.height * logical.height / cell)));
    }
    font.setWeight(static_cast<QFont::Weight>(std::clamp(logical.weight == 0 ? 400 : logical.weight, 100, 900)));
    font.setUnderline(logical.underline);
    return font;
}
