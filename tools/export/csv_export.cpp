#include "tools/export/csv_export.h"

#include "platform/text.h"
#include "tools/export/csv_fields.h"
#include "tools/export/terminal_text.h"


std::string IsoDate(const SystemTime& date) {
    // Every row has one: digits put in place cost less than a formatted print.
    std::string text = "0000-00-00";
    for (int at = 3, year = date.year; at >= 0; --at, year /= 10) text[at] = static_cast<char>('0' + year % 10);
    text[5] = static_cast<char>('0' + date.month / 10 % 10);
    text[6] = static_cast<char>('0' + date.month % 10);
    text[8] = static_cast<char>('0' + date.day / 10 % 10);
    text[9] = static_cast<char>('0' + date.day % 10);
    return text;
}

std::string CsvHead() { return "\xEF\xBB\xBFuser,test,date,result,value,goal,unit,comment\r\n"; }

std::string CsvLine(const TestResult& r, bool forTerminal) {
    const auto field = [forTerminal](const std::u16string& text) {
        return CsvField(forTerminal ? Utf8ToText(TerminalText(TextToUtf8(text))) : text);
    };
    std::string line;
    line.reserve(128);
    for (const std::u16string* text : {&r.user, &r.test}) line.append(field(*text)).append(1, ',');
    line.append(IsoDate(r.date));
    for (const std::u16string* text : {&r.result, &r.value, &r.goal, &r.unit, &r.comment})
        line.append(1, ',').append(field(*text));
    return line.append("\r\n");
}
