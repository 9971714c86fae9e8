#include "review/report_text.h"

#include "platform/text.h"
#include "store/test_record_store.h"

int ReportImage(Verdict verdict) {
    switch (verdict) {
    case Verdict::Below: return kReportBelowGoal;
    case Verdict::Within: return kReportAtGoal;
    case Verdict::Above: return kReportAboveGoal;
    case Verdict::None: break;
    }
    return kReportNoVerdict;
}

std::u16string_view ReportImageWords(int image) {
    switch (image) {
    case kReportBelowGoal: return u"below goal";
    case kReportAtGoal: return u"within goal";
    case kReportAboveGoal: return u"above goal";
    case kReportNoVerdict: return u"no goal comparison";
    default: return {};
    }
}

bool AddReportResultLine(const ResultRow& result, const ValueReading& reading, ReportList& list, int row,
                         std::vector<std::u16string>& notes) {
    const std::u16string& name = result.name;
    const std::u16string& value = result.value;
    const std::u16string& goal = result.goal;
    const UnitParts unit = SplitUnit(result.unit);

    bool noteAdded = false;
    if (!unit.note.empty() && notes.size() < kMaxReportNotes) {
        notes.push_back(BoundedText(unit.unit + u" : " + unit.note));
        noteAdded = true;
    }

    // Nothing to show for the empty record of a test taken without results.
    if (name.empty() && value.empty() && unit.unit.empty() && goal.empty()) return noteAdded;

    const std::u16string line = BoundedText(name + u": " + value + u" " + unit.unit + u" [Goal: " +
                                            goal + u" " + unit.unit + u"]");
    list.InsertRow(row, line, ReportImage(Judge(value, goal, reading)));
    return noteAdded;
}

void FillTestReport(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                    const NumberFormat& numbers, ReportList& list) {
    const TakenTest taken = ReadTakenTest(user, test, day);
    const ValueReading reading = ReadingFor(user, numbers);
    std::vector<std::u16string> notes;
    list.InsertRow(0, u"Test Results:", kReportHeading);
    for (const ResultRow& result : taken.results) AddReportResultLine(result, reading, list, list.RowCount(), notes);
    if (list.RowCount() == 1) list.Clear();  // only the heading: no result line

    int row = list.RowCount();
    if (!taken.comment.empty()) {
        list.InsertRow(row++, u"Comments:", kReportHeading);
        list.InsertRow(row++, taken.comment, kReportNoImage);
    }
    if (!notes.empty()) {
        list.InsertRow(row++, u"Notes:", kReportHeading);
        for (const std::u16string& note : notes) list.InsertRow(row++, note, kReportNoImage);
    }
}
