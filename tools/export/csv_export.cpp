#include "tools/export/csv_export.h"

#include "tools/export/csv_fields.h"

#include <algorithm>
#include <cstdio>

std::string IsoDate(const SystemTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", int{date.year}, int{date.month}, int{date.day});
    return text;
}

void WriteResultsCsv(const std::vector<TestRecordEntry>& records, std::ostream& out) {
    std::vector<const TestRecordEntry*> rows;
    for (const TestRecordEntry& record : records) rows.push_back(&record);
    // Stable, so the results of one test keep the order in which they were stored.
    std::stable_sort(rows.begin(), rows.end(), [](const TestRecordEntry* a, const TestRecordEntry* b) {
        if (a->user != b->user) return a->user < b->user;
        std::string da = IsoDate(a->date), db = IsoDate(b->date);
        if (da != db) return da < db;
        return a->test < b->test;
    });
    out << "user,test,date,result,value,goal,unit,comment\r\n";
    for (const TestRecordEntry* r : rows) {
        out << CsvField(r->user) << ',' << CsvField(r->test) << ',' << IsoDate(r->date) << ','
            << CsvField(r->result) << ',' << CsvField(r->value) << ',' << CsvField(r->goal) << ','
            << CsvField(r->unit) << ',' << CsvField(r->comment) << "\r\n";
    }
}
