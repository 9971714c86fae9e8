#include "platform/records/record_stream.h"

#include <sqlite3.h>

bool RecordStream::Current() const { return query_ && epoch_ == ObjectStore::Instance().Epoch(); }

bool RecordStream::Knows(const SortText& sortText, std::int64_t from, std::optional<std::int64_t>& id) const {
    if (!Current() || text_.id != sortText.id || from <= floor_ || (hasRow_ && from > row_)) return false;
    id = hasRow_ ? std::optional<std::int64_t>(row_) : std::nullopt;
    return true;
}

bool RecordStream::Start(const SortText& sortText, std::int64_t from) {
    if (!query_) query_ = ObjectStore::Instance().Prepare(
                     "SELECT id, test, date, result, properties FROM records WHERE sort_text = ?1 AND id >= ?2 ORDER BY id");
    if (!query_) return false;
    query_.Reset();
    sqlite3_bind_int64(query_.get(), 1, sortText.id);
    sqlite3_bind_int64(query_.get(), 2, from);
    if (text_.exact != sortText.exact || decoded_.empty()) decoded_ = TextOfOrderedBytes(sortText.exact);
    text_ = sortText;
    epoch_ = ObjectStore::Instance().Epoch();
    floor_ = from - 1;
    return Step();
}

// A failure leaves the stream known to nobody.
bool RecordStream::Step() {
    hasRow_ = query_.Next();
    if (hasRow_) {
        row_ = sqlite3_column_int64(query_.get(), 0);
        return true;
    }
    if (!query_.Broken()) return true;
    Reset();
    return false;
}

RowRead RecordStream::Take(const DatabaseInfo& database, std::vector<Property>& properties) {
    if (!hasRow_) return RowRead::Failed;
    const RowRead read = DecodeRow(database, text_.exact, query_.get(), 0, &properties, &decoded_);
    if (read == RowRead::Failed) {
        Reset();
        return read;
    }
    floor_ = row_;
    return Step() ? read : RowRead::Failed;
}

void RecordStream::Reset() {
    query_ = ObjectStore::Query();
    epoch_ = 0;
    hasRow_ = false;
}
