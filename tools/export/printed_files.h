#pragma once
// Files made with the program's own texts and drawing: a test report as PDF
// and a results graph as PNG or PDF.

#include "platform/datetime.h"

#include <QImage>

class QIODevice;

struct GraphSeries;

#include <string>
#include <string_view>

// The Results Graph's chart without its on-screen controls, drawn `scale`
// pixels per logical pixel so that print needs no enlarging.
QImage PrintedChart(std::u16string_view user, std::u16string_view test, std::u16string_view result, int period,
                    std::u16string_view type, double scale);
// The same chart of points already collected.
QImage PrintedChart(const GraphSeries& series, std::u16string_view result, int period, std::u16string_view type,
                    double scale);
// The report's icon for a row picture (kReportBelowGoal...); null past them.
QImage ReportIcon(int image);

// The report of `user`'s test on `day` as the Test Report screen lists it,
// as a PDF into `out`, each page headed by the user, the test and the date.
// Empty on success, else why not.
std::string WriteReportPdf(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                           QIODevice& out);

// The Results Graph of one result over `period` days (negative: every date),
// as a bar or line chart titled with the user, result and period, into `out`:
// the picture on a PDF page when `pdf`, else a PNG image. Empty on success,
// else why not.
std::string WriteGraphFile(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                           int period, std::u16string_view type, bool pdf, QIODevice& out);
