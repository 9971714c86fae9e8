#include "platform/records/record_stream.h"

#include <sqlite3.h>

namespace {

// The order of sort texts: folded text, then row.
int CompareText(std::string_view fold, std::int64_t id, std::string_view otherFold, std::int64_t otherId) {
    if (const int order = fold.compare(otherFold)) return order < 0 ? -1 : 1;
    return id < otherId ? -1 : id > otherId ? 1 : 0;
}

}  // namespace

std::optional<SortText> SortTextStream::From(const DatabaseInfo& database, const Place& place, bool after) {
    const bool current = query_ && epoch_ == ObjectStore::Instance().Epoch();
    if (current) {
        // Known when the sought place lies between the floor and the current text.
        const int fromFloor = CompareText(place.fold, place.text, floorFold_, floorId_);
        const bool aboveFloor = fromFloor > 0 || (fromFloor == 0 && (after || floorIncluded_));
        const int toCurrent = current_ ? CompareText(place.fold, place.text, current_->fold, current_->id) : -1;
        if (aboveFloor && (toCurrent < 0 || (toCurrent == 0 && !after))) return current_;
        if (aboveFloor && toCurrent == 0 && after) {
            floorFold_ = current_->fold;
            floorId_ = current_->id;
            floorIncluded_ = false;
            if (!Step()) return std::nullopt;
            return current_;
        }
    }
    if (!query_)
        query_ = ObjectStore::Instance().Prepare(
            "SELECT id, fold, exact FROM sort_texts WHERE database = ?1 AND (fold, id) >= (?2, ?3) ORDER BY fold, id");
    if (!query_) return std::nullopt;
    query_.Reset();
    sqlite3_bind_int64(query_.get(), 1, database.id);
    BindBytes(query_.get(), 2, place.fold);
    sqlite3_bind_int64(query_.get(), 3, after ? place.text + 1 : place.text);
    epoch_ = ObjectStore::Instance().Epoch();
    floorFold_ = place.fold;
    floorId_ = place.text;
    floorIncluded_ = !after;
    if (!Step()) return std::nullopt;
    return current_;
}

bool SortTextStream::Step() {
    if (query_.Next()) {
        current_ = SortText{sqlite3_column_int64(query_.get(), 0), std::string(ReadBytes(query_.get(), 1)),
                            std::string(ReadBytes(query_.get(), 2))};
        return true;
    }
    current_.reset();
    if (!query_.Broken()) return true;
    Reset();
    return false;
}

void SortTextStream::Reset() {
    query_ = ObjectStore::Query();
    epoch_ = 0;
    current_.reset();
}

bool RecordStream::Current() const { return query_ && epoch_ == ObjectStore::Instance().Epoch(); }

bool RecordStream::Knows(const SortText& sortText, std::int64_t from, std::optional<std::int64_t>& id) const {
    if (!Current() || text_.id != sortText.id || from <= floor_ || (hasRow_ && from > row_)) return false;
    id = hasRow_ ? std::optional<std::int64_t>(row_) : std::nullopt;
    return true;
}

bool RecordStream::Start(const SortText& sortText, std::int64_t from) {
    if (!query_) query_ = ObjectStore::Instance().Prepare(kRecordsFromSql);
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
