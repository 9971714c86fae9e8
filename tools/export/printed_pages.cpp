#include "tools/export/printed_pages.h"

#include "platform/datetime.h"
#include "platform/paint/fonts.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <cmath>

namespace {

constexpr int kHeadFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
constexpr int kFootHeight = 30;

QString Utf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Lines `width` wide, broken between words, and inside a word only when it alone is too long.
int LayOut(QTextLayout& layout, qreal width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(y));
}

}  // namespace

QFont PrintFont(int points, bool bold) {
    // One unit is one point, so a pixel size in the program's terms is a point size here.
    return ResolveFont(FontSpec{u"Verdana", -points, bold ? 700 : 400});
}

PrintedPages::PrintedPages(QPdfWriter& pdf, QPainter* painter, QString head, int pageCount)
    : pdf_(pdf), painter_(painter), head_(std::move(head)), pageCount_(pageCount) {
    StartPage();
}

int PrintedPages::Width() const { return pdf_.width(); }

int PrintedPages::Bottom() const { return pdf_.height() - kFootHeight; }

int PrintedPages::Room() const { return Bottom() - y_; }

int PrintedPages::PageRoom() const { return Bottom() - top_; }

int PrintedPages::TextHeight(const QString& text, const QFont& font, int x, int width) const {
    QTextLayout layout(text, font, &pdf_);
    return LayOut(layout, width > 0 ? width : Width() - x);
}

void PrintedPages::Reserve(int height) {
    if (height <= Room() || y_ == top_) return;
    EndPage();
    if (painter_) pdf_.newPage();
    StartPage();
}

void PrintedPages::Text(const QString& text, const QFont& font, int x, int width) {
    QTextLayout layout(text, font, &pdf_);
    const int height = LayOut(layout, width > 0 ? width : Width() - x);
    Reserve(height);
    if (painter_) layout.draw(painter_, QPointF(x, y_));
    y_ += height;
}

void PrintedPages::Picture(const std::function<QImage()>& make, int x, int width, int height) {
    if (painter_) painter_->drawImage(QRectF(x, y_, width, height), make());
}

void PrintedPages::StartPage() {
    ++page_;
    y_ = 0;
    const QFont font = PrintFont(9, true);
    const int height = static_cast<int>(std::ceil(QFontMetricsF(font, &pdf_).height()));
    if (painter_) {
        painter_->setFont(font);
        painter_->drawText(QRectF(0, 0, Width(), height), kHeadFlags,
                           QFontMetricsF(font, &pdf_).elidedText(head_, Qt::ElideRight, Width()));
        painter_->drawLine(QPointF(0, height + 3), QPointF(Width(), height + 3));
    }
    y_ = top_ = height + 12;
}

void PrintedPages::EndPage() {
    if (!painter_) return;
    painter_->setFont(PrintFont(7));
    const QString printed = QStringLiteral("Printed %1    Page %2 of %3")
                                .arg(Utf16(DateText(GetLocalTime())))
                                .arg(page_)
                                .arg(pageCount_);
    const QString notice = QStringLiteral(
        "Made with Vantrel. The information is provided as a guideline and is not intended to replace medical help.");
    painter_->drawText(QRectF(0, Bottom() + 8, Width(), 11), Qt::AlignLeft | Qt::TextSingleLine, notice);
    painter_->drawText(QRectF(0, Bottom() + 19, Width(), 11), Qt::AlignLeft | Qt::TextSingleLine, printed);
}

std::string PrintPdf(QIODevice& out, const QString& title, const QString& head,
                     const std::function<void(PrintedPages&)>& compose) {
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(72);  // one unit is one point
    pdf.setPageMargins(QMarginsF(54, 48, 54, 40), QPageLayout::Point);
    pdf.setCreator(QStringLiteral("Vantrel"));
    pdf.setTitle(title);
    int pageCount = 0;
    {
        PrintedPages counting(pdf, nullptr, head, 0);
        compose(counting);
        pageCount = counting.page_;
    }
    QPainter painter;
    if (!painter.begin(&pdf)) return "cannot draw the PDF pages";
    PrintedPages pages(pdf, &painter, head, pageCount);
    compose(pages);
    pages.EndPage();
    return painter.end() ? std::string() : "cannot draw the PDF pages";
}
