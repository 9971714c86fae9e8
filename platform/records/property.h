#pragma once
// What records are made of: properties (a 16-bit id and a text or a file
// time), records holding one property per id, and what a database fixes at
// its creation: the sort order and the lookup columns.

#include "platform/datetime.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kSortCaseInsensitive = 2;

struct SortOrder {
    std::uint16_t propertyId = 0;
    std::uint32_t flags = kSortCaseInsensitive;
};

// The properties a database keeps as indexed columns, so that lookups among
// the records of one sort text are index seeks: by test, by test and date, by
// test and result. 0 names no property.
struct LookupColumns {
    std::uint16_t test = 0;
    std::uint16_t date = 0;
    std::uint16_t result = 0;
    bool operator==(const LookupColumns&) const = default;
};

enum class PropertyKind { String, FileTime };

class Property {
public:
    Property(std::u16string_view text, std::uint16_t id);
    Property(FileTime time, std::uint16_t id);

    std::uint16_t Id() const { return id_; }
    PropertyKind Kind() const { return kind_; }
    // The empty text for a file-time property, 0 for a string property.
    const std::u16string& StringValue() const { return text_; }
    FileTime FileTimeValue() const { return time_; }

private:
    std::uint16_t id_;
    PropertyKind kind_;
    std::u16string text_;
    FileTime time_ = 0;
};

class PropertyRecord {
public:
    // nullptr when the record has no property of that id.
    const Property* GetProperty(std::uint16_t id) const;
    void AddProperties(const Property* properties, std::size_t count);
    void AddProperty(const Property& property);
    void RemoveProperty(std::uint16_t id);
    void RemoveAllProperties();
    // Holds exactly `properties` (as AddProperties of each in turn would).
    void SetProperties(std::vector<Property>&& properties);
    const std::vector<Property>& Properties() const;

private:
    // Ids are unique: adding an id replaces it.
    std::vector<Property> properties_;
};
