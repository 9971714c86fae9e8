#include "tools/export/csv_export.h"

#include "platform/text.h"
#include "tools/export/csv_fields.h"
#include "tools/export/terminal_text.h"

#include <cstdio>

std::string IsoDate(const SystemTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", int{date.year}, int{date.month}, int{date.day});
    return text;
}

std::string CsvHead() { return "\xEF\xBB\xBFuser,test,date,result,value,goal,unit,comment\r\n"; }

std::string CsvLine(const TestResult& r, bool forTerminal) {
    auto field = [forTerminal](const std::u16string& text) {
        return CsvField(forTerminal ? Utf8ToText(TerminalText(TextToUtf8(text))) : text);
    };
    return field(r.user) + ',' + field(r.test) + ',' + IsoDate(r.date) + ',' + field(r.result) + ',' +
           field(r.value) + ',' + field(r.goal) + ',' + field(r.unit) + ',' + field(r.comment) + "\r\n";
}
