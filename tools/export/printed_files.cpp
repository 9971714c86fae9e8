#include "tools/export/printed_files.h"

#include "platform/locale/desktop_numbers.h"
#include "platform/text.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/paint/bitmap_images.h"
#include "res/resource.h"
#include "review/graph_drawing.h"
#include "review/report_text.h"
#include "store/patient_store.h"
#include "tools/export/printed_pages.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

struct ReportRow {
    std::u16string text;
    int image;
};

class CollectedReport : public ReportList {
public:
    void InsertRow(int row, std::u16string_view text, int image) override {
        std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(std::max(row, 0)), rows.size());
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), ReportRow{std::u16string(text), image});
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    void Clear() override { rows.clear(); }
    std::vector<ReportRow> rows;
};

constexpr int kReportBitmaps[] = {IDB_BELOW_GOAL, IDB_AT_GOAL, IDB_ABOVE_GOAL, IDB_HEADING};

// Logical size of the Results Graph's client area.
constexpr int kGraphWidth = 246;
constexpr int kGraphHeight = 266;
// Rectangle outlines a quarter of a logical pixel wide: thin enough that a
// bar three pixels wide keeps its colour, thick enough to show in print.
constexpr double kPrintOutline = 0.25;

std::u16string PeriodText(int period) {
    if (period < 0) return u"every date";
    if (period == 0) return u"today";
    return u"the last " + IntToText(period) + u" days";
}

}  // namespace

QImage PrintedChart(std::u16string_view user, std::u16string_view test, std::u16string_view result, int period,
                    std::u16string_view type, double scale) {
    return PrintedChart(CollectGraphSeries(user, test, result, period, DesktopNumberFormat()), result, period, type,
                        scale);
}

QImage PrintedChart(const GraphSeries& series, std::u16string_view result, int period, std::u16string_view type,
                    double scale) {
    QImage image(static_cast<int>(kGraphWidth * scale), static_cast<int>(kGraphHeight * scale),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtPaintSurface surface(image, scale, kGraphWidth, kGraphHeight);
        surface.SetOutlineWidth(kPrintOutline);
        DrawResultsChart(surface, result, series, period, type);
    }
    return image;
}

QImage ReportIcon(int image) {
    return image >= 0 && image < 4 ? BitmapImage(kReportBitmaps[image], kWhite) : QImage();
}

std::string WriteReportPdf(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                           QIODevice& out) {
    CollectedReport report;
    FillTestReport(user, test, day, DesktopNumberFormat(), report);
    if (report.rows.empty()) return "nothing is recorded for that test on " + TextToUtf8(DateText(day));

    std::u16string sex;
    GetPatientSex(user, sex);
    const std::u16string sexAndAge = sex + u" | " + IntToText(GetPatientAge(user)) + u" years old";
    const QString head = ToQString(std::u16string(user) + u"    " + std::u16string(test) + u"    " + DateText(day));
    return PrintPdf(out, ToQString(std::u16string(test) + u" " + DateText(day)), head, [&](PrintedPages& pages) {
        pages.Text(ToQString(test), PrintFont(20, true));
        pages.Skip(6);
        pages.Text(ToQString(user), PrintFont(12, true));
        pages.Text(ToQString(sexAndAge), PrintFont(12, true));
        pages.Text(ToQString(u"Test date: " + DateText(day)), PrintFont(11));
        pages.Skip(12);
        for (const ReportRow& row : report.rows) {
            // Comment and note rows stand under their heading, without an icon;
            // a result compared with nothing has no icon either.
            const bool icon = row.image >= 0 && row.image < 4;
            const int x = icon || row.image == kReportNoVerdict ? 22 : 40;
            const QFont font = PrintFont(row.image == kReportHeading ? 12 : 11, row.image == kReportHeading);
            pages.Reserve(std::max(pages.TextHeight(ToQString(row.text), font, x), 16) + 4);
            if (icon) pages.Picture([&row] { return ReportIcon(row.image); }, 0, 16, 16);
            pages.Text(ToQString(row.text), font, x);
            pages.Skip(4);
        }
    });
}

std::string WriteGraphFile(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                           int period, std::u16string_view type, bool pdf, QIODevice& out) {
    const QString title = ToQString(std::u16string(user) + u": " + std::u16string(result) + u" (" +
                                    std::u16string(test) + u"), " + PeriodText(period));
    if (pdf) {
        return PrintPdf(out, title, ToQString(user), [&](PrintedPages& pages) {
            pages.Text(title, PrintFont(16, true));
            pages.Skip(12);
            const int width = pages.Width();
            const int height = width * kGraphHeight / kGraphWidth;
            // 300 dots per inch across the page's width, drawn at that size rather than enlarged.
            const double scale = width / 72.0 * 300 / kGraphWidth;
            pages.Picture([&] { return PrintedChart(user, test, result, period, type, scale); }, 0, width, height);
            pages.Skip(height);
        });
    }
    constexpr double kScale = 4;
    const QImage chart = PrintedChart(user, test, result, period, type, kScale);
    QFont font = PrintFont(14, true);
    font.setPixelSize(36);
    constexpr int kMargin = 20;
    const QRect titleBox = QFontMetrics(font).boundingRect(QRect(kMargin, kMargin, chart.width() - 2 * kMargin, 1000),
                                                           Qt::AlignLeft | Qt::TextWordWrap, title);
    const int titleHeight = titleBox.bottom() + kMargin;
    QImage image(chart.width(), chart.height() + titleHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font);
        painter.drawText(titleBox, Qt::AlignLeft | Qt::TextWordWrap, title);
        painter.drawImage(0, titleHeight, chart);
    }
    if (!image.save(&out, "PNG")) return "cannot make the PNG image";
    return {};
}
