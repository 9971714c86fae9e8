#pragma once
// The lines of a test report: a heading, one line per result with an icon that
// compares the value with its goal, then the test's comment and the notes
// found in the units.

#include "platform/datetime.h"
#include "platform/number_text.h"
#include "review/goal_reading.h"
#include "store/result_row.h"
#include "units/unit_identity.h"

#include <string>
#include <string_view>
#include <vector>

// What the report needs of the list that shows it.
class ReportList {
public:
    virtual ~ReportList() = default;
    // Inserts a row with its picture; a row beyond the end is appended.
    virtual void InsertRow(int row, std::u16string_view text, int image) = 0;
    virtual int RowCount() const = 0;
    virtual void Clear() = 0;
};

// Pictures of the report's image list.
inline constexpr int kReportBelowGoal = 0;
inline constexpr int kReportAtGoal = 1;
inline constexpr int kReportAboveGoal = 2;
inline constexpr int kReportHeading = 3;
// Past the image list's end: comment and note rows show no picture, nor does
// a result whose value or goal is not a number (it is compared with nothing).
inline constexpr int kReportNoImage = 4;
inline constexpr int kReportNoVerdict = 5;

inline constexpr std::size_t kMaxReportNotes = 10;

// The picture of a verdict.
int ReportImage(Verdict verdict);
// What a screen reader says after a result row with picture `image`; empty
// for rows that are no result.
std::u16string_view ReportImageWords(int image);

// Adds the line of one result at `row` (nothing when name, value, unit and
// goal are all empty) and appends the unit's note, if any, to `notes` while it
// holds fewer than kMaxReportNotes. True when a note was appended.
bool AddReportResultLine(const ResultRow& result, const ValueReading& reading, ReportList& list, int row,
                         std::vector<std::u16string>& notes);

// Adds the whole report of `user`'s test `test` on `day` (year, month and day
// count; the time of day is ignored) to `list`, which the caller has emptied;
// numbers are read as `numbers` writes them.
void FillTestReport(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                    const NumberFormat& numbers, ReportList& list);
