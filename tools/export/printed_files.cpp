#include "tools/export/printed_files.h"

#include "platform/text.h"
#include "platform/ui/qt_paint_surface.h"
#include "platform/ui/resources_qt.h"
#include "platform/ui/ui_font.h"
#include "res/resource.h"
#include "review/graph_drawing.h"
#include "review/report_text.h"
#include "store/patient_store.h"

#include <QFont>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

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

bool WritablePdf(QPdfWriter& pdf) {
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(72);  // one unit is one point
    pdf.setPageMargins(QMarginsF(54, 54, 54, 54));
    pdf.setCreator(QStringLiteral("Vantrel"));
    return true;
}

// Logical size of the Results Graph's client area.
constexpr int kGraphWidth = 246;
constexpr int kGraphHeight = 266;
constexpr double kGraphScale = 4;

QImage GraphImage(std::u16string_view user, std::u16string_view test, std::u16string_view result, int period,
                  std::u16string_view type) {
    QImage image(static_cast<int>(kGraphWidth * kGraphScale), static_cast<int>(kGraphHeight * kGraphScale),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtPaintSurface surface(image, kGraphScale, kGraphWidth, kGraphHeight);
        DrawResultsGraph(surface, result, CollectGraphSeries(user, test, result, period), period, type);
    }
    return image;
}

}  // namespace

std::string WriteReportPdf(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                           const std::filesystem::path& file) {
    CollectedReport report;
    FillTestReport(user, test, day, report);
    if (report.rows.empty()) return "nothing is recorded for that test on " + TextToUtf8(DateText(day));

    QPdfWriter pdf(QString::fromStdString(file.string()));
    WritablePdf(pdf);
    pdf.setTitle(ToQString(std::u16string(test) + u" " + DateText(day)));
    QPainter painter;
    if (!painter.begin(&pdf)) return "cannot write " + file.string();

    std::u16string sex;
    GetPatientSex(user, sex);
    const std::u16string sexAndAge = sex + u" | " + IntToText(GetPatientAge(user)) + u" years old";

    QFont heading = ResolveFont(FontSpec{u"Verdana", -20, 700});
    QFont bold = ResolveFont(FontSpec{u"Verdana", -12, 700});
    QFont body = ResolveFont(FontSpec{u"Verdana", -11, 400});
    const int width = pdf.width();
    int y = 0;
    painter.setFont(heading);
    painter.drawText(QRect(0, y, width, 28), Qt::AlignLeft | Qt::TextSingleLine, ToQString(test));
    y += 34;
    painter.setFont(bold);
    painter.drawText(QPoint(0, y + 12), ToQString(user));
    y += 18;
    painter.drawText(QPoint(0, y + 12), ToQString(sexAndAge));
    y += 18;
    painter.setFont(body);
    painter.drawText(QPoint(0, y + 12), ToQString(u"Test date: " + DateText(day)));
    y += 30;

    const int rowHeight = 18;
    for (const ReportRow& row : report.rows) {
        if (y + rowHeight > pdf.height()) {
            pdf.newPage();
            y = 0;
        }
        int textX = 22;
        if (row.image >= 0 && row.image < 4) {
            QImage icon = BitmapImage(kReportBitmaps[row.image], kWhite);
            painter.drawImage(QRect(0, y + 1, 16, 16), icon);
        } else {
            textX = 40;  // comment and note rows stand under their heading
        }
        painter.setFont(row.image == kReportHeading ? bold : body);
        painter.drawText(QRect(textX, y, width - textX, rowHeight), Qt::AlignVCenter | Qt::TextSingleLine,
                         ToQString(row.text));
        y += rowHeight;
    }
    painter.setFont(ResolveFont(FontSpec{u"Verdana", -8, 400}));
    painter.drawText(QRect(0, pdf.height() - 24, width, 24), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Made with Vantrel. The information is provided as a guideline and is not "
                                    "intended to replace medical help."));
    return painter.end() ? std::string() : "cannot write " + file.string();
}

std::string WriteGraphFile(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                           int period, std::u16string_view type, const std::filesystem::path& file) {
    QImage image = GraphImage(user, test, result, period, type);
    if (file.extension() != ".pdf") {
        if (!image.save(QString::fromStdString(file.string()), "PNG")) return "cannot write " + file.string();
        return {};
    }
    QPdfWriter pdf(QString::fromStdString(file.string()));
    WritablePdf(pdf);
    pdf.setTitle(ToQString(std::u16string(test) + u": " + std::u16string(result)));
    QPainter painter;
    if (!painter.begin(&pdf)) return "cannot write " + file.string();
    const int width = pdf.width();
    const int height = width * kGraphHeight / kGraphWidth;
    painter.drawImage(QRect(0, 0, width, height), image);
    return painter.end() ? std::string() : "cannot write " + file.string();
}
