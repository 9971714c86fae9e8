#include "review/report_text.h"

#include "platform/record_store.h"
#include "platform/text.h"
#include "review/goal_reading.h"
#include "review/test_record_reading.h"
#include "store/test_record_store.h"

UnitParts SplitUnit(std::u16string_view unit) {
    const std::size_t open = unit.find(u'(');
    if (open == std::u16string_view::npos) return {std::u16string(unit), {}};
    std::u16string_view note = unit.substr(open + 1);
    note = note.substr(0, note.find(u')'));
    return {std::u16string(unit.substr(0, open)), std::u16string(note)};
}

int ReportImage(std::u16string_view value, std::u16string_view goal) {
    const double v = ReadResultValue(value);
    const GoalReading g = ReadGoal(goal);
    if (v < g.low) return kReportBelowGoal;
    if (v > g.high) return kReportAboveGoal;
    return kReportAtGoal;
}

bool AddReportResultLine(const PropertyRecord& record, ReportList& list, int row,
                         std::vector<std::u16string>& notes) {
    const std::u16string name = RecordText(record, kPropResultName);
    const std::u16string value = RecordText(record, kPropResultValue);
    const std::u16string goal = RecordText(record, kPropGoalValue);
    const UnitParts unit = SplitUnit(RecordText(record, kPropResultUnit));

    bool noteAdded = false;
    if (!unit.note.empty() && notes.size() < kMaxReportNotes) {
        notes.push_back(BoundedText(unit.unit + u" : " + unit.note));
        noteAdded = true;
    }

    // Nothing to show for the empty record of a test taken without results.
    if (name.empty() && value.empty() && unit.unit.empty() && goal.empty()) return noteAdded;

    const std::u16string line = BoundedText(name + u": " + value + u" " + unit.unit + u" [Goal: " +
                                            goal + u" " + unit.unit + u"]");
    list.InsertRow(row, line, ReportImage(value, goal));
    return noteAdded;
}

void FillTestReport(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                    ReportList& list) {
    list.InsertRow(0, u"Test Results:", kReportHeading);
    int row = 1;
    std::vector<std::u16string> notes;
    // The comment of the last matching record; every record of one test and day carries the same.
    std::u16string comment;

    // The user's records of the test on that day, found through the store's indexes, in store order.
    ForEachRecordOfDay(user, test, day, [&](const PropertyRecord& record) {
        AddReportResultLine(record, list, row, notes);
        comment = RecordText(record, kPropComment);
        ++row;  // also for records that add no line: later rows are then appended
    });

    if (list.RowCount() == 1) list.Clear();  // only the heading: no result line

    if (!comment.empty()) {
        list.InsertRow(row, u"Comments:", kReportHeading);
        list.InsertRow(row + 1, comment, kReportNoImage);
        row += 2;
    }
    if (!notes.empty()) {
        list.InsertRow(row++, u"Notes:", kReportHeading);
        for (const std::u16string& note : notes) list.InsertRow(row++, note, kReportNoImage);
    }
}
