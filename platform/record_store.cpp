#include "platform/record_store.h"

#include "platform/object_store.h"
#include "platform/property_codec.h"
#include "platform/record_mirror.h"
#include "platform/text.h"

#include <algorithm>

Property::Property(std::u16string_view text, std::uint16_t id)
    : id_(id), kind_(PropertyKind::String), text_(text) {}

Property::Property(FileTime time, std::uint16_t id) : id_(id), kind_(PropertyKind::FileTime), time_(time) {}

// The mirror shares its records with the records handed out by reads.
struct PropertyRecordAccess {
    static const SharedProperties& Shared(const PropertyRecord& record) { return record.properties_; }
    static void Share(PropertyRecord& record, const SharedProperties& properties) { record.properties_ = properties; }
};

const std::vector<Property>& PropertyRecord::Properties() const {
    static const std::vector<Property> kEmpty;
    return properties_ ? *properties_ : kEmpty;
}

std::vector<Property>& PropertyRecord::Mutable() {
    if (!properties_)
        properties_ = std::make_shared<std::vector<Property>>();
    else if (properties_.use_count() > 1)
        properties_ = std::make_shared<std::vector<Property>>(*properties_);
    return *properties_;
}

const Property* PropertyRecord::GetProperty(std::uint16_t id) const {
    for (const Property& property : Properties())
        if (property.Id() == id) return &property;
    return nullptr;
}

void PropertyRecord::AddProperties(const Property* properties, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) AddProperty(properties[i]);
}

void PropertyRecord::AddProperty(const Property& property) {
    std::vector<Property>& properties = Mutable();
    for (Property& existing : properties) {
        if (existing.Id() == property.Id()) {
            existing = property;
            return;
        }
    }
    properties.push_back(property);
}

void PropertyRecord::RemoveProperty(std::uint16_t id) {
    if (!GetProperty(id)) return;
    std::erase_if(Mutable(), [id](const Property& property) { return property.Id() == id; });
}

void PropertyRecord::RemoveAllProperties() { properties_.reset(); }

struct PropertyDatabase::State {
    std::shared_ptr<RecordMirror> mirror;
    MirrorCursor cursor;
    bool advance = false;
    // The key last sought and the text it was made from: a pass over a run
    // seeks the same value at every step.
    std::u16string soughtText, soughtKey;
    bool sought = false;

    bool Usable() const { return mirror && mirror->Valid(); }
    // Usable, with the records added so far in their places (and the cursor with them).
    bool Ready() const {
        if (!Usable()) return false;
        mirror->Settle();
        return true;
    }
    // The record last reached, when it still exists.
    bool HasCurrent() const { return Ready() && mirror->IsLive(cursor.current); }

    const std::u16string& KeyOf(const std::u16string& text) {
        if (!sought || text != soughtText) {
            soughtKey = mirror->KeyOf(text);
            soughtText = text;
            sought = true;
        }
        return soughtKey;
    }
};

PropertyDatabase::PropertyDatabase() : state_(new State) {}

PropertyDatabase::~PropertyDatabase() {
    Close();
    delete state_;
}

bool PropertyDatabase::Exists(std::u16string_view name) { return ObjectStore::Instance().FindDatabase(name).has_value(); }

std::uint32_t PropertyDatabase::Create(std::u16string_view name, std::uint32_t type, int sortOrderCount,
                                       const SortOrder& order) {
    if (sortOrderCount != 1) return 0;
    return ObjectStore::Instance().CreateDatabase(name, type, order);
}

bool PropertyDatabase::OpenById(std::uint32_t id) {
    Close();
    std::shared_ptr<RecordMirror> mirror = ObjectStore::Instance().OpenMirror(id);
    if (!mirror) return false;
    state_->mirror = std::move(mirror);
    state_->cursor = MirrorCursor{};
    state_->sought = false;
    state_->mirror->Attach(&state_->cursor);
    ObjectStore::Instance().HandleOpened();
    return true;
}

bool PropertyDatabase::Open(std::u16string_view name) {
    Close();
    std::optional<DatabaseInfo> info = ObjectStore::Instance().FindDatabase(name);
    return info && OpenById(info->id);
}

void PropertyDatabase::Close() {
    if (!state_->mirror) return;
    state_->mirror->Detach(&state_->cursor);
    state_->mirror.reset();
    ObjectStore::Instance().HandleClosed();
}

bool PropertyDatabase::IsOpen() const { return state_->Usable(); }

bool PropertyDatabase::SeekFirst() {
    if (!state_->Ready()) return false;
    RecordMirror& mirror = *state_->mirror;
    std::size_t first = mirror.NextLive(0);
    state_->cursor.position = first;
    state_->cursor.current = first < mirror.Size() ? first : MirrorCursor::kNone;
    return first < mirror.Size();
}

bool PropertyDatabase::SeekFirstEqual(const Property& value) {
    if (!state_->Ready()) return false;
    RecordMirror& mirror = *state_->mirror;
    if (value.Id() != mirror.Info().sortProperty || value.Kind() != PropertyKind::String) return false;
    const std::u16string& key = state_->KeyOf(value.StringValue());
    std::size_t found = mirror.NextLive(mirror.LowerBound(key));
    if (found >= mirror.Size() || mirror.KeyAt(found) != key) return false;
    state_->cursor.position = state_->cursor.current = found;
    return true;
}

bool PropertyDatabase::SeekNextEqual(const Property& value) {
    if (!state_->Ready()) return false;
    RecordMirror& mirror = *state_->mirror;
    if (value.Id() != mirror.Info().sortProperty || value.Kind() != PropertyKind::String) return false;
    const std::size_t position = state_->cursor.position;
    if (position >= mirror.Size()) return false;
    const std::u16string& key = state_->KeyOf(value.StringValue());
    // The record after the cursor, or the first of the run when the cursor is before it;
    // within the run (a pass over it) that needs no search.
    const bool inOrPastRun = mirror.KeyAt(position) == key || CompareCodePoints(mirror.KeyAt(position), key) > 0;
    std::size_t found = mirror.NextLive(inOrPastRun ? position + 1 : mirror.LowerBound(key));
    if (found >= mirror.Size() || mirror.KeyAt(found) != key) return false;
    state_->cursor.position = state_->cursor.current = found;
    return true;
}

bool PropertyDatabase::SeekToIndex(int index) {
    if (!state_->Ready()) return false;
    RecordMirror& mirror = *state_->mirror;
    mirror.Compact();
    if (index < 0 || static_cast<std::size_t>(index) >= mirror.Size()) return false;
    state_->cursor.position = state_->cursor.current = static_cast<std::size_t>(index);
    return true;
}

int PropertyDatabase::CurrentIndex() const {
    if (!state_->Ready()) return -1;
    state_->mirror->Compact();
    return static_cast<int>(std::min(state_->cursor.position, state_->mirror->Size()));
}

bool PropertyDatabase::ReadCurrent(PropertyRecord& out) {
    if (!state_->Ready()) return false;
    RecordMirror& mirror = *state_->mirror;
    std::size_t at = mirror.NextLive(state_->cursor.position);
    state_->cursor.position = at;
    if (at >= mirror.Size()) return false;
    PropertyRecordAccess::Share(out, mirror.RecordAt(at));
    state_->cursor.current = at;
    if (state_->advance) state_->cursor.position = at + 1;
    return true;
}

void PropertyDatabase::SetAdvanceAfterRead(bool on) { state_->advance = on; }

bool PropertyDatabase::AdvanceAfterRead() const { return state_->advance; }

bool PropertyDatabase::Write(const PropertyRecord& record, int replace) {
    if (!state_->Usable()) return false;
    ObjectStore& store = ObjectStore::Instance();
    std::string encoded = EncodeProperties(record.Properties());
    // Shared with `record`, which copies before it next changes.
    SharedProperties properties = PropertyRecordAccess::Shared(record);
    if (!properties) properties = std::make_shared<std::vector<Property>>();
    if (replace == 0) {
        std::int64_t rowid = 0;
        if (!store.InsertRecord(state_->mirror->Info().id, encoded, rowid) || !state_->Usable()) return false;
        state_->mirror->Insert(rowid, std::move(properties));
        return true;
    }
    if (!state_->HasCurrent()) return false;
    std::size_t at = state_->cursor.current;
    if (!store.UpdateRecord(state_->mirror->RowIdAt(at), encoded) || !state_->Usable()) return false;
    state_->mirror->Replace(at, std::move(properties));
    return true;
}

bool PropertyDatabase::DeleteCurrent() {
    if (!state_->HasCurrent()) return false;
    std::size_t at = state_->cursor.current;
    if (!ObjectStore::Instance().DeleteRecord(state_->mirror->RowIdAt(at)) || !state_->Usable()) return false;
    state_->mirror->Remove(at);
    state_->cursor.current = MirrorCursor::kNone;
    return true;
}

int PropertyDatabase::RecordCount() const {
    return state_->Usable() ? static_cast<int>(state_->mirror->LiveCount()) : 0;
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

std::u16string ObjectStoreProblem() { return ObjectStore::Instance().Problem(); }
