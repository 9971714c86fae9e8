#pragma once
// The stored form of a record. The properties a database keeps in columns
// (its sort text and its lookup columns) are stored there and only named in
// the record's bytes; the others are in the bytes: a count, then per property
// its id (as the difference from the one before), its kind and size, and its
// value. Texts whose code units all fit a byte take one byte per unit.

#include "platform/records/property.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Column : std::uint8_t { Sort, Test, Date, Result };
inline constexpr std::size_t kColumnCount = 4;

// The property id each column holds; -1 for a column the database does not use.
using ColumnIds = std::array<int, kColumnCount>;

// A column's value as the file holds it: a text as OrderedBytes, a time, or
// nothing (NULL, in a column the database does not use); Unknown for any
// other value, which the store never writes.
enum class ColumnKind : std::uint8_t { None, Text, Time, Unknown };
struct ColumnValue {
    ColumnKind kind = ColumnKind::None;
    std::string text;
    std::int64_t time = 0;
};
// The same, read in place from a row; a text may come already decoded.
struct ColumnView {
    ColumnKind kind = ColumnKind::None;
    std::string_view text;
    std::int64_t time = 0;
    const std::u16string* decoded = nullptr;
};
using ColumnViews = std::array<ColumnView, kColumnCount>;

// A record as it goes into the file.
struct StoredRecord {
    std::string bytes;
    std::array<ColumnValue, kColumnCount> columns;
};
// The first property of each column's id goes to the column (the sort
// property only when it is a text); a used column without one holds the
// empty text, so that lookups of an empty field find the record.
void EncodeRecord(const std::vector<Property>& properties, const ColumnIds& ids, StoredRecord& out);

// False for bytes that are not a complete encoding, or that do not agree
// with the columns: a reference to a column of another id, or of none, or a
// used column holding a value no property names.
bool DecodeRecord(std::string_view bytes, const ColumnViews& columns, const ColumnIds& ids,
                  std::vector<Property>& out);
// Whether DecodeRecord would take them, without making the properties.
bool RecordDecodes(std::string_view bytes, const ColumnViews& columns, const ColumnIds& ids);

// The bytes of a record an earlier format held but could not decode, kept as
// they were behind a count no record can have, so they never decode.
std::string KeptUndecodable(std::string_view bytes);

// Bytes that compare (as memcmp, shorter first) as the texts' code points do;
// lone surrogates keep their place among the code points.
std::string OrderedBytes(std::u16string_view text);
// The text OrderedBytes made the bytes from.
std::u16string TextOfOrderedBytes(std::string_view bytes);
