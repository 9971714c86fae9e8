#include "review/test_record_reading.h"

#include "platform/record_store.h"
#include "store/test_record_store.h"

std::u16string RecordText(const PropertyRecord& record, unsigned short id) {
    const Property* property = record.GetProperty(id);
    return property ? property->StringValue() : std::u16string();
}

SystemTime RecordDate(const PropertyRecord& record) {
    SystemTime date;
    if (const Property* property = record.GetProperty(kPropTestDate)) {
        FileTimeToSystemTime(property->FileTimeValue(), date);
    }
    return date;
}

std::optional<ResultTexts> ReadResultTexts(std::u16string_view user, std::u16string_view test,
                                           std::u16string_view result, const SystemTime& date) {
    PropertyRecord record;
    if (!ReadResultRecord(user, test, result, date, record)) return std::nullopt;
    return ResultTexts{RecordText(record, kPropResultValue), RecordText(record, kPropGoalValue),
                       RecordText(record, kPropResultUnit)};
}
