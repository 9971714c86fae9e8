#include "platform/records/record_store.h"

#include "platform/records/connection.h"
#include "platform/records/file_checks.h"
#include "platform/records/matches.h"
#include "platform/records/record_stream.h"
#include "platform/records/unreadable_records.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace {

ObjectStore& Store() { return ObjectStore::Instance(); }

// Numbers count from 0 and fit an int; a count beyond is no number.
int IndexNumber(std::int64_t count) { return static_cast<int>(std::min<std::int64_t>(count, INT_MAX)); }

}  // namespace

// A handle's position is a place in the order, not a number: records added or
// deleted elsewhere leave it where it was.
struct PropertyDatabase::State {
    std::optional<DatabaseInfo> info;
    Place position;         // the next read reads the first record at or after it
    bool past = false;      // ... or strictly after it
    bool atEnd = false;     // ... or none: an advancing read took the last record
    std::optional<Place> current;  // the record last reached by a seek or a read
    bool advance = false;
    SortTextStream texts;
    RecordStream stream;

    bool Usable() const { return info && Store().Connection(ObjectStore::Use::Read); }

    void MoveTo(const Place& place) {
        position = place;
        past = false;
        atEnd = false;
        current = place;
    }

    // The sort text at or after the position's (strictly after with `after`),
    // from the stream when it passes over that text.
    std::optional<SortText> TextFrom(const Place& place, bool after) {
        if (!after && stream.Current() && stream.Text().id == place.text && stream.Text().fold == place.fold)
            return stream.Text();
        return texts.From(*info, place, after);
    }

    // The record at the position: its place, and with `properties` its
    // contents, or with `undecodable` set when they cannot be decoded.
    std::optional<Place> Resolve(std::vector<Property>* properties, bool* undecodable = nullptr) {
        if (!info || atEnd) return std::nullopt;
        std::optional<SortText> text = TextFrom(position, false);
        std::int64_t from = 0;
        if (text && text->id == position.text) from = past ? position.id + 1 : position.id;
        for (; text; text = TextFrom(Place{text->fold, text->id, {}, 0}, true), from = 0) {
            std::optional<std::int64_t> id;
            if (properties) {
                if (!stream.Knows(*text, from, id)) {
                    if (!stream.Start(*text, from)) return std::nullopt;
                    stream.Knows(*text, from, id);
                }
                if (id) {
                    const RowRead read = stream.Take(*info, *properties);
                    if (read == RowRead::Failed) return std::nullopt;
                    if (undecodable) *undecodable = read == RowRead::Undecodable;
                }
            } else if (!stream.Knows(*text, from, id)) {
                id = FirstIdFrom(text->id, from);
            }
            if (id) return Place{text->fold, text->id, text->exact, *id};
        }
        return std::nullopt;
    }
};

PropertyDatabase::PropertyDatabase() : state_(new State) {}

PropertyDatabase::~PropertyDatabase() {
    Close();
    delete state_;
}

bool PropertyDatabase::Exists(std::u16string_view name) { return FindDatabase(name).has_value(); }

std::uint32_t PropertyDatabase::Create(std::u16string_view name, std::uint32_t type, int sortOrderCount,
                                       const SortOrder& order, const LookupColumns& lookup) {
    return sortOrderCount == 1 ? CreateDatabase(name, type, order, lookup) : 0;
}

namespace {

bool OpenOn(PropertyDatabase::State& state, std::optional<DatabaseInfo> info) {
    if (!info) return false;
    state.info = std::move(info);
    state.position = Place{};
    Store().HandleOpened();
    return true;
}

}  // namespace

bool PropertyDatabase::OpenById(std::uint32_t id) {
    Close();
    return OpenOn(*state_, FindDatabase(id));
}

bool PropertyDatabase::Open(std::u16string_view name) {
    Close();
    return OpenOn(*state_, FindDatabase(name));
}

void PropertyDatabase::Close() {
    state_->texts.Reset();
    state_->stream.Reset();
    if (state_->info) Store().HandleClosed();
    state_->info.reset();
    state_->current.reset();
    state_->past = state_->atEnd = false;
}

bool PropertyDatabase::IsOpen() const { return state_->Usable(); }

bool PropertyDatabase::SeekFirst() {
    if (!state_->Usable()) return false;
    state_->position = Place{};
    state_->past = state_->atEnd = false;
    std::optional<Place> first = state_->Resolve(nullptr);
    state_->current.reset();
    if (!first) return false;
    state_->MoveTo(*first);
    return true;
}

bool PropertyDatabase::SeekFirstEqual(const Property& value) {
    if (!state_->Usable() || value.Id() != state_->info->order.propertyId || value.Kind() != PropertyKind::String)
        return false;
    const std::string fold = FoldedKey(*state_->info, value.StringValue());
    std::optional<SortText> text = SortTextFrom(*state_->info, Place{fold, 0, {}, 0}, false);
    for (; text && text->fold == fold; text = SortTextFrom(*state_->info, Place{text->fold, text->id, {}, 0}, true)) {
        if (std::optional<std::int64_t> id = FirstIdFrom(text->id, 0)) {
            state_->MoveTo(Place{text->fold, text->id, text->exact, *id});
            return true;
        }
    }
    return false;
}

bool PropertyDatabase::SeekNextEqual(const Property& value) {
    if (!state_->Usable() || value.Id() != state_->info->order.propertyId || value.Kind() != PropertyKind::String)
        return false;
    // The record at the position, then the first one after it with the value.
    std::optional<Place> at = state_->Resolve(nullptr);
    if (!at) return false;
    const std::string fold = FoldedKey(*state_->info, value.StringValue());
    if (at->fold > fold) return false;
    const Place saved = state_->position;
    const bool wasPast = state_->past, wasAtEnd = state_->atEnd;
    state_->position = at->fold == fold ? *at : Place{fold, 0, {}, 0};
    state_->past = at->fold == fold;
    std::optional<Place> next = state_->Resolve(nullptr);
    if (!next || next->fold != fold) {
        state_->position = saved;
        state_->past = wasPast;
        state_->atEnd = wasAtEnd;
        return false;
    }
    state_->MoveTo(*next);
    return true;
}

bool PropertyDatabase::SeekToIndex(int index) {
    if (!state_->Usable() || index < 0) return false;
    if (index == 0) return SeekFirst();
    std::optional<Place> place = PlaceAtIndex(*state_->info, index);
    if (!place) return false;
    state_->MoveTo(*place);
    return true;
}

int PropertyDatabase::CurrentIndex() const {
    if (!state_->Usable()) return -1;
    std::optional<Place> at = state_->Resolve(nullptr);
    return IndexNumber(at ? RecordsBefore(*state_->info, *at) : RecordsOf(*state_->info));
}

// A record that cannot be decoded is left as it is, and no write takes it
// for the record last read.
bool PropertyDatabase::ReadCurrent(PropertyRecord& out) {
    if (!state_->Usable()) return false;
    std::vector<Property> properties;
    std::optional<Place> at;
    for (;;) {
        bool undecodable = false;
        at = state_->Resolve(&properties, &undecodable);
        if (!at) return false;
        if (!undecodable) break;
        NoteUnreadableRecord(state_->info->name, TextOfOrderedBytes(at->exact), at->id);
        state_->position = *at;
        state_->past = state_->advance;
        if (!state_->advance) {
            state_->current.reset();
            return false;
        }
    }
    out.SetProperties(std::move(properties));
    state_->position = *at;
    state_->past = false;
    state_->current = at;
    if (state_->advance) {
        // The next read takes the record that follows now, wherever records are added meanwhile.
        state_->past = true;
        std::optional<Place> next = state_->Resolve(nullptr);
        state_->past = false;
        if (next) state_->position = *next;
        else state_->atEnd = true;
    }
    return true;
}

void PropertyDatabase::SetAdvanceAfterRead(bool on) { state_->advance = on; }

bool PropertyDatabase::AdvanceAfterRead() const { return state_->advance; }

bool PropertyDatabase::Write(const PropertyRecord& record, int replace) {
    if (!state_->Usable()) return false;
    if (replace == 0) {
        Place placed;
        return InsertRecord(*state_->info, record.Properties(), placed);
    }
    if (!state_->current) return false;
    Place at = *state_->current;
    if (!ReplaceRecord(*state_->info, at, record.Properties())) return false;
    if (ComparePlaces(at, *state_->current) != 0) state_->MoveTo(at);
    return true;
}

bool PropertyDatabase::Add(const std::vector<PropertyRecord>& records) {
    if (records.empty()) return true;
    if (!state_->Usable()) return false;
    std::vector<const std::vector<Property>*> properties;
    properties.reserve(records.size());
    for (const PropertyRecord& record : records) properties.push_back(&record.Properties());
    return InsertRecords(*state_->info, properties);
}

bool PropertyDatabase::DeleteCurrent() {
    if (!state_->Usable() || !state_->current) return false;
    if (!RemoveRecord(*state_->info, *state_->current)) return false;
    // The position stays at the deleted record's place: the next read takes the record after it.
    state_->current.reset();
    return true;
}

int PropertyDatabase::RecordCount() const { return state_->Usable() ? IndexNumber(RecordsOf(*state_->info)) : 0; }

void PropertyDatabase::ForEachMatch(const FieldMatch& match, const std::function<bool(const PropertyRecord&)>& visit) {
    if (!state_->Usable()) return;
    const std::optional<SortText> text = FindSortText(*state_->info, match.exact);
    if (!text) return;
    // Outside a transaction each record's read would begin and end a read of
    // the file of its own, locks and all; a statement left on its first row
    // keeps one read open for the whole pass. Writes of the visit may still
    // begin and commit: a pending read does not stop them.
    ObjectStore::Query onePass;
    if (!ObjectStore::Instance().InUnit()) {
        onePass = ObjectStore::Instance().Prepare("SELECT 1 FROM databases");
        if (onePass) onePass.Next();
    }
    // Taken first, so the visit may delete the records it is given.
    const std::vector<std::int64_t> ids = MatchingIds(*text, match);
    std::vector<Property> properties;
    PropertyRecord record;
    for (std::int64_t id : ids) {
        const RowRead read = ReadRecord(*state_->info, *text, id, properties);
        if (read == RowRead::Failed) return;
        if (read == RowRead::Undecodable) {
            NoteUnreadableRecord(state_->info->name, match.exact, id);
            continue;
        }
        record.SetProperties(std::move(properties));
        state_->MoveTo(Place{text->fold, text->id, text->exact, id});
        if (!visit(record)) return;
    }
}

// One statement over the range, where ForEachMatch takes the ids first and
// seeks each record: a cursor's step to the next row, not a descent each.
void PropertyDatabase::ForEachOf(std::u16string_view exact, const std::function<bool(const PropertyRecord&)>& visit) {
    if (!state_->Usable()) return;
    const std::optional<SortText> text = FindSortText(*state_->info, exact);
    if (!text) return;
    ObjectStore::Query rows = ObjectStore::Instance().Prepare(kRecordsFromSql);
    if (!rows) return;
    sqlite3_bind_int64(rows.get(), 1, text->id);
    sqlite3_bind_int64(rows.get(), 2, 0);
    const std::u16string sortText(exact);
    std::vector<Property> properties;
    PropertyRecord record;
    while (rows.Next()) {
        const RowRead read = DecodeRow(*state_->info, text->exact, rows.get(), 0, &properties, &sortText);
        if (read == RowRead::Failed) return;
        if (read == RowRead::Undecodable) {
            NoteUnreadableRecord(state_->info->name, exact, sqlite3_column_int64(rows.get(), 0));
            continue;
        }
        record.SetProperties(std::move(properties));
        if (!visit(record)) return;
    }
}

void PropertyDatabase::ForEachMatchTime(const FieldMatch& match, bool newestFirst,
                                        const std::function<bool(FileTime, std::int64_t)>& visit) {
    if (!state_->Usable()) return;
    if (const std::optional<SortText> text = FindSortText(*state_->info, match.exact))
        ForEachMatchingDate(*text, match, newestFirst, visit);
}

std::vector<std::u16string> PropertyDatabase::TestTexts(std::u16string_view exact) {
    if (!state_->Usable()) return {};
    const std::optional<SortText> text = FindSortText(*state_->info, exact);
    return text ? TestsInOrder(*text) : std::vector<std::u16string>{};
}

std::vector<std::u16string> PropertyDatabase::SortTexts() {
    return state_->Usable() ? SortTextsInOrder(*state_->info) : std::vector<std::u16string>{};
}

std::vector<std::u16string> PropertyDatabase::SortTextsEqualTo(std::u16string_view text) {
    const std::u16string bounded(text);
    return state_->Usable() ? SortTextsInOrder(*state_->info, &bounded) : std::vector<std::u16string>{};
}

bool PropertyDatabase::HasMatch(const FieldMatch& match) {
    if (!state_->Usable()) return false;
    const std::optional<SortText> text = FindSortText(*state_->info, match.exact);
    return text && AnyMatching(*text, match);
}

bool PropertyDatabase::DeleteUndecodable(const FieldMatch& match) {
    if (!state_->Usable()) return false;
    const std::optional<SortText> text = FindSortText(*state_->info, match.exact);
    if (!text) return true;
    std::vector<Property> properties;
    for (std::int64_t id : MatchingIds(*text, match)) {
        const RowRead read = ReadRecord(*state_->info, *text, id, properties);
        if (read == RowRead::Failed) return false;
        if (read == RowRead::Undecodable && !RemoveRecord(*state_->info, Place{text->fold, text->id, text->exact, id}))
            return false;
    }
    return true;
}

void PropertyDatabase::ForEachLookupGroup(const std::function<void(const LookupGroup&)>& visit) {
    if (!state_->Usable()) return;
    std::string exact;
    LookupGroup group;
    std::u16string sortText;
    ForEachLookupGroupRow(*state_->info, [&](sqlite3_stmt* row) {
        if (const std::string_view bytes = ReadBytes(row, 0); bytes != exact || sortText.empty()) {
            exact = bytes;
            sortText = TextOfOrderedBytes(exact);
        }
        group.sortText = sortText;
        group.test = ReadBytes(row, 1);
        group.date.reset();
        if (sqlite3_column_type(row, 2) == SQLITE_INTEGER) group.date = static_cast<FileTime>(sqlite3_column_int64(row, 2));
        group.withResult = sqlite3_column_int64(row, 3);  // NULL: no record names one
        visit(group);
    });
}

bool PropertyDatabase::DeleteAllOf(std::u16string_view exact) {
    return state_->Usable() && RemoveAllOf(*state_->info, exact);
}

StoreTransaction::StoreTransaction() : active_(true) { Store().BeginUnit(); }

StoreTransaction::~StoreTransaction() {
    if (active_) Store().EndUnit(false);
}

bool StoreTransaction::Commit() {
    if (!active_) return false;
    active_ = false;
    return Store().EndUnit(true);
}

std::u16string ObjectStoreProblem() { return Store().Problem(); }

void OnObjectStoreProblem(std::function<void(const std::u16string&)> found) { Store().OnProblemFound(std::move(found)); }

void SetObjectStoreReadOnly(bool on) { Store().SetReadOnly(on); }

void CloseObjectStore() { Store().Close(); }

bool CheckObjectStore() { return Store().CheckIntegrity(); }

std::u16string ObjectStoreFileProblem(const std::filesystem::path& file) { return StoreFileProblem(file); }
