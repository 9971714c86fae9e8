#include "platform/record_store.h"

#include "platform/object_store.h"
#include "platform/property_codec.h"
#include "platform/record_runs.h"
#include "platform/unreadable_records.h"

#include <algorithm>
#include <climits>

Property::Property(std::u16string_view text, std::uint16_t id)
    : id_(id), kind_(PropertyKind::String), text_(text) {}

Property::Property(FileTime time, std::uint16_t id) : id_(id), kind_(PropertyKind::FileTime), time_(time) {}

const std::vector<Property>& PropertyRecord::Properties() const { return properties_; }

const Property* PropertyRecord::GetProperty(std::uint16_t id) const {
    for (const Property& property : properties_)
        if (property.Id() == id) return &property;
    return nullptr;
}

void PropertyRecord::AddProperties(const Property* properties, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) AddProperty(properties[i]);
}

void PropertyRecord::AddProperty(const Property& property) {
    for (Property& existing : properties_) {
        if (existing.Id() == property.Id()) {
            existing = property;
            return;
        }
    }
    properties_.push_back(property);
}

void PropertyRecord::RemoveProperty(std::uint16_t id) {
    std::erase_if(properties_, [id](const Property& property) { return property.Id() == id; });
}

void PropertyRecord::RemoveAllProperties() { properties_.clear(); }

namespace {

// Below every row id a store writes (SQLite hands out ids from 1).
constexpr std::int64_t kBeforeAll = LLONG_MIN + 1;

// The places of the indexes computed last, so that an index handed from one
// handle to the next is reached without counting again.
struct KnownIndex {
    std::uint64_t epoch = 0;
    std::uint32_t database = 0;
    int index = 0;
    RecordPlace place;
};
KnownIndex gKnown[8];
std::size_t gKnownNext = 0;

void Remember(std::uint32_t database, int index, const RecordPlace& place) {
    gKnown[gKnownNext++ % std::size(gKnown)] = KnownIndex{ObjectStore::Instance().Epoch(), database, index, place};
}

const RecordPlace* Recall(std::uint32_t database, int index) {
    for (const KnownIndex& known : gKnown)
        if (known.epoch == ObjectStore::Instance().Epoch() && known.database == database && known.index == index)
            return &known.place;
    return nullptr;
}

}  // namespace

// A handle's position is a place in the order, not a number: records added or
// deleted elsewhere leave it where it was.
struct PropertyDatabase::State {
    std::optional<DatabaseInfo> info;
    RecordPlace position;   // the next read reads the first record at or after it
    bool past = false;      // ... or strictly after it
    bool atEnd = false;     // ... or none: an advancing read took the last record
    std::uint64_t generation = 0;  // of the store's view the handle was opened on
    std::optional<RecordPlace> current;  // the record last reached by a seek or a read
    bool advance = false;
    RunStream stream;

    // A position is a place, so it outlives a reload; the database need not.
    bool Usable() {
        if (!info || !ObjectStore::Instance().Connection(ObjectStore::Use::Read)) return false;
        if (generation == ObjectStore::Instance().Generation()) return true;
        if (!FindDatabase(info->id)) return false;
        generation = ObjectStore::Instance().Generation();
        return true;
    }

    void MoveTo(const RecordPlace& place) {
        position = place;
        past = false;
        atEnd = false;
        current = place;
    }

    // The record at the position: its place, and with `properties` its
    // contents, or with `undecodable` set when they cannot be decoded.
    std::optional<RecordPlace> Resolve(std::vector<Property>* properties, bool* undecodable = nullptr) {
        if (!info || atEnd) return std::nullopt;
        const std::vector<Run>* runs = RunsOf(info->id);
        if (!runs) return std::nullopt;
        auto run = std::lower_bound(runs->begin(), runs->end(), position,
                                    [](const Run& r, const RecordPlace& p) { return CompareRun(r, p) < 0; });
        std::int64_t from = kBeforeAll;
        if (run != runs->end() && CompareRun(*run, position) == 0) from = past ? position.id + 1 : position.id;
        for (; run != runs->end(); ++run, from = kBeforeAll) {
            std::optional<std::int64_t> id;
            if (properties) {
                if (!stream.Knows(*run, from, id)) {
                    if (!stream.Start(*run, from)) return std::nullopt;
                    stream.Knows(*run, from, id);
                }
                if (id) {
                    const RowRead read = stream.Take(*properties);
                    if (read == RowRead::Failed) return std::nullopt;
                    if (undecodable) *undecodable = read == RowRead::Undecodable;
                }
            } else if (!stream.Knows(*run, from, id)) {
                id = FirstIdFrom(*run, from);
            }
            if (id) return RecordPlace{run->fold, *id};
        }
        return std::nullopt;
    }

    int IndexOf(const std::optional<RecordPlace>& place) {
        const std::vector<Run>* runs = RunsOf(info->id);
        if (!runs) return -1;
        std::int64_t index = 0;
        for (const Run& run : *runs) {
            const int order = place ? CompareRun(run, *place) : -1;
            if (order > 0) break;
            if (order == 0) {
                index += CountBefore(run, place->id);
                break;
            }
            index += run.records;
        }
        return static_cast<int>(std::min<std::int64_t>(index, INT_MAX));
    }
};

PropertyDatabase::PropertyDatabase() : state_(new State) {}

PropertyDatabase::~PropertyDatabase() {
    Close();
    delete state_;
}

bool PropertyDatabase::Exists(std::u16string_view name) { return FindDatabase(name).has_value(); }

std::uint32_t PropertyDatabase::Create(std::u16string_view name, std::uint32_t type, int sortOrderCount,
                                       const SortOrder& order) {
    if (sortOrderCount != 1) return 0;
    return CreateDatabase(name, type, order);
}

bool PropertyDatabase::OpenById(std::uint32_t id) {
    Close();
    std::optional<DatabaseInfo> info = FindDatabase(id);
    if (!info || !RunsOf(id)) return false;
    state_->info = std::move(info);
    state_->position = RecordPlace{{}, kBeforeAll};
    state_->generation = ObjectStore::Instance().Generation();
    ObjectStore::Instance().HandleOpened();
    return true;
}

bool PropertyDatabase::Open(std::u16string_view name) {
    Close();
    std::optional<DatabaseInfo> info = FindDatabase(name);
    return info && OpenById(info->id);
}

void PropertyDatabase::Close() {
    state_->stream.Reset();
    if (state_->info) ObjectStore::Instance().HandleClosed();
    state_->info.reset();
    state_->current.reset();
    state_->past = state_->atEnd = false;
}

bool PropertyDatabase::IsOpen() const { return state_->Usable(); }

bool PropertyDatabase::SeekFirst() {
    if (!state_->Usable()) return false;
    state_->position = RecordPlace{{}, kBeforeAll};
    state_->past = state_->atEnd = false;
    std::optional<RecordPlace> first = state_->Resolve(nullptr);
    state_->current.reset();
    if (!first) return false;
    state_->MoveTo(*first);
    return true;
}

bool PropertyDatabase::SeekFirstEqual(const Property& value) {
    if (!state_->Usable() || value.Id() != state_->info->sortProperty || value.Kind() != PropertyKind::String)
        return false;
    const std::string fold = FoldedKey(*state_->info, value.StringValue());
    const std::vector<Run>* runs = RunsOf(state_->info->id);
    if (!runs) return false;
    RecordPlace start{fold, kBeforeAll};
    auto run = std::lower_bound(runs->begin(), runs->end(), start,
                                [](const Run& r, const RecordPlace& p) { return CompareRun(r, p) < 0; });
    if (run == runs->end() || run->fold != fold) return false;
    std::optional<std::int64_t> id = FirstIdFrom(*run, kBeforeAll);
    if (!id) return false;
    state_->MoveTo(RecordPlace{run->fold, *id});
    return true;
}

bool PropertyDatabase::SeekNextEqual(const Property& value) {
    if (!state_->Usable() || value.Id() != state_->info->sortProperty || value.Kind() != PropertyKind::String)
        return false;
    // The record at the position, then the first one after it with the value.
    std::optional<RecordPlace> at = state_->Resolve(nullptr);
    if (!at) return false;
    const std::string fold = FoldedKey(*state_->info, value.StringValue());
    const bool wasAtEnd = state_->atEnd;
    if (at->fold > fold) return false;
    RecordPlace after = at->fold == fold ? *at : RecordPlace{fold, kBeforeAll};
    state_->position = after;
    state_->past = at->fold == fold;
    std::optional<RecordPlace> next = state_->Resolve(nullptr);
    if (!next || next->fold != fold) {
        state_->position = *at;
        state_->past = false;
        state_->atEnd = wasAtEnd;
        return false;
    }
    state_->MoveTo(*next);
    return true;
}

bool PropertyDatabase::SeekToIndex(int index) {
    if (!state_->Usable() || index < 0) return false;
    if (const RecordPlace* known = Recall(state_->info->id, index)) {
        state_->MoveTo(*known);
        return true;
    }
    const std::vector<Run>* runs = RunsOf(state_->info->id);
    if (!runs) return false;
    std::int64_t left = index;
    for (const Run& run : *runs) {
        if (left < run.records) {
            std::optional<std::int64_t> id = IdAtOffset(run, left);
            if (!id) return false;
            state_->MoveTo(RecordPlace{run.fold, *id});
            Remember(state_->info->id, index, *state_->current);
            return true;
        }
        left -= run.records;
    }
    return false;
}

int PropertyDatabase::CurrentIndex() const {
    if (!state_->Usable()) return -1;
    std::optional<RecordPlace> at = state_->Resolve(nullptr);
    const int index = state_->IndexOf(at);
    if (at && index >= 0) Remember(state_->info->id, index, *at);
    return index;
}

// A record that cannot be decoded is left as it is, and no write takes it
// for the record last read.
bool PropertyDatabase::ReadCurrent(PropertyRecord& out) {
    if (!state_->Usable()) return false;
    std::vector<Property> properties;
    std::optional<RecordPlace> at;
    for (;;) {
        bool undecodable = false;
        at = state_->Resolve(&properties, &undecodable);
        if (!at) return false;
        if (!undecodable) break;
        NoteUnreadableRecord(state_->info->name, at->id);
        state_->position = *at;
        state_->past = state_->advance;
        if (!state_->advance) {
            state_->current.reset();
            return false;
        }
    }
    out.RemoveAllProperties();
    out.AddProperties(properties.data(), properties.size());
    state_->position = *at;
    state_->past = false;
    state_->current = at;
    if (state_->advance) {
        // The next read takes the record that follows now, wherever records are added meanwhile.
        state_->past = true;
        std::optional<RecordPlace> next = state_->Resolve(nullptr);
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
        RecordPlace placed;
        return InsertRecord(*state_->info, record.Properties(), placed);
    }
    if (!state_->current) return false;
    RecordPlace at = *state_->current;
    if (!ReplaceRecord(*state_->info, at, record.Properties())) return false;
    if (ComparePlaces(at, *state_->current) != 0) state_->MoveTo(at);
    return true;
}

bool PropertyDatabase::DeleteCurrent() {
    if (!state_->Usable() || !state_->current) return false;
    if (!RemoveRecord(*state_->info, *state_->current)) return false;
    // The position stays at the deleted record's place: the next read takes the record after it.
    state_->current.reset();
    return true;
}

int PropertyDatabase::RecordCount() const {
    return state_->Usable() ? static_cast<int>(std::min<std::int64_t>(RecordsOf(state_->info->id), INT_MAX)) : 0;
}

namespace {

FieldFilter FilterOf(const FieldMatch& match) {
    FieldFilter filter{{}, match.first, std::nullopt, match.third};
    if (match.second)
        filter.second = std::make_pair(static_cast<std::int64_t>(match.second->first),
                                       static_cast<std::int64_t>(match.second->second));
    return filter;
}

}  // namespace

void PropertyDatabase::ForEachMatch(const FieldMatch& match, const std::function<bool(const PropertyRecord&)>& visit) {
    if (!state_->Usable()) return;
    FieldFilter filter = FilterOf(match);
    std::optional<Run> run = RunOf(*state_->info, match.exact, filter);
    if (!run) return;
    // Taken first, so the visit may delete the records it is given.
    const std::vector<std::int64_t> ids = MatchingIds(*run, filter);
    std::vector<Property> properties;
    PropertyRecord record;
    for (std::int64_t id : ids) {
        const RowRead read = ReadRow(*run, id, properties);
        if (read == RowRead::Failed) return;
        if (read == RowRead::Undecodable) {
            NoteUnreadableRecord(state_->info->name, id);
            continue;
        }
        record.RemoveAllProperties();
        record.AddProperties(properties.data(), properties.size());
        state_->MoveTo(RecordPlace{run->fold, id});
        if (!visit(record)) return;
    }
}

void PropertyDatabase::ForEachMatchTime(const FieldMatch& match, bool newestFirst,
                                        const std::function<bool(FileTime, std::int64_t)>& visit) {
    if (!state_->Usable()) return;
    FieldFilter filter = FilterOf(match);
    std::optional<Run> run = RunOf(*state_->info, match.exact, filter);
    if (!run) return;
    ForEachMatchingTime(*run, filter, newestFirst,
                        [&visit](std::int64_t time, std::int64_t id) { return visit(static_cast<FileTime>(time), id); });
}

std::vector<std::u16string> PropertyDatabase::FirstFieldTexts(std::u16string_view exact) {
    if (!state_->Usable()) return {};
    FieldFilter filter;
    std::optional<Run> run = RunOf(*state_->info, exact, filter);
    return run ? ::FirstFieldTexts(*run, filter) : std::vector<std::u16string>{};
}

std::vector<std::u16string> PropertyDatabase::SortTexts() {
    std::vector<std::u16string> texts;
    const std::vector<Run>* runs = state_->Usable() ? RunsOf(state_->info->id) : nullptr;
    if (!runs) return texts;
    for (const Run& run : std::vector<Run>(*runs))
        for (const std::string& bytes : ExactTexts(run)) texts.push_back(TextOfOrderedBytes(bytes));
    return texts;
}

int PropertyDatabase::CountMatches(const FieldMatch& match) {
    if (!state_->Usable()) return 0;
    FieldFilter filter = FilterOf(match);
    std::optional<Run> run = RunOf(*state_->info, match.exact, filter);
    return run ? static_cast<int>(CountMatching(*run, filter)) : 0;
}

bool PropertyDatabase::DeleteUndecodable(const FieldMatch& match) {
    if (!state_->Usable()) return false;
    FieldFilter filter = FilterOf(match);
    std::optional<Run> run = RunOf(*state_->info, match.exact, filter);
    if (!run) return true;
    std::vector<Property> properties;
    for (std::int64_t id : MatchingIds(*run, filter)) {
        const RowRead read = ReadRow(*run, id, properties);
        if (read == RowRead::Failed) return false;
        if (read == RowRead::Undecodable && !RemoveRecord(*state_->info, RecordPlace{run->fold, id})) return false;
    }
    return true;
}

bool PropertyDatabase::DeleteAllOf(std::u16string_view exact) {
    return state_->Usable() && RemoveAllOf(*state_->info, exact);
}

StoreTransaction::StoreTransaction() : active_(true) { ObjectStore::Instance().BeginUnit(); }

StoreTransaction::~StoreTransaction() {
    if (active_) ObjectStore::Instance().EndUnit(false);
}

bool StoreTransaction::Commit() {
    if (!active_) return false;
    active_ = false;
    return ObjectStore::Instance().EndUnit(true);
}

bool CheckObjectStore() { return ObjectStore::Instance().CheckIntegrity(); }
