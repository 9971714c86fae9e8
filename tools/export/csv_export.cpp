#include "tools/export/csv_export.h"

#include "tools/export/csv_fields.h"

#include <cstdio>

std::string IsoDate(const SystemTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", int{date.year}, int{date.month}, int{date.day});
    return text;
}

void WriteCsvHeader(std::ostream& out) { out << "user,test,date,result,value,goal,unit,comment\r\n"; }

void WriteCsvRow(const TestResult& r, std::ostream& out) {
    out << CsvField(r.user) << ',' << CsvField(r.test) << ',' << IsoDate(r.date) << ',' << CsvField(r.result) << ','
        << CsvField(r.value) << ',' << CsvField(r.goal) << ',' << CsvField(r.unit) << ',' << CsvField(r.comment)
        << "\r\n";
}
