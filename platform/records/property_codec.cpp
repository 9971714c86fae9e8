#include "platform/records/property_codec.h"

#include <optional>

namespace {

// The kind of a stored property, in the low three bits of its head.
enum : std::uint8_t { kText = 0, kNarrowText = 1, kTime = 2, kInColumn = 3 };  // kInColumn + column

void PutVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// Ids mostly follow one another: the difference from the one before, minus
// one, zigzagged, so that an id that follows takes one byte.
std::uint64_t IdStep(int previous, int id) {
    const std::int64_t step = static_cast<std::int64_t>(id) - previous - 1;
    return step >= 0 ? static_cast<std::uint64_t>(step) << 1 : (static_cast<std::uint64_t>(-(step + 1)) << 1) | 1;
}

bool IsNarrow(std::u16string_view text) {
    for (char16_t unit : text)
        if (unit > 0xFF) return false;
    return true;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Varint(std::uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64 && pos_ < bytes_.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(bytes_[pos_++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return true;
        }
        return false;
    }

    bool Take(std::size_t size, std::string_view& out) {
        if (bytes_.size() - pos_ < size) return false;
        out = bytes_.substr(pos_, size);
        pos_ += size;
        return true;
    }

    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::uint64_t LittleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

// The one reading of the stored form: `sink` gets the count, then each
// property in order; false when the bytes are not a complete encoding or do
// not agree with the columns.
template <class Sink>
bool Parse(std::string_view bytes, const ColumnViews& columns, const ColumnIds& ids, Sink& sink) {
    Reader reader(bytes);
    std::uint64_t count = 0;
    if (!reader.Varint(count) || count > bytes.size()) return false;
    sink.Count(count);
    bool referenced[kColumnCount] = {};
    int id = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t step = 0, head = 0;
        if (!reader.Varint(step) || !reader.Varint(head)) return false;
        const std::int64_t delta = step & 1 ? -static_cast<std::int64_t>(step >> 1) - 1 : static_cast<std::int64_t>(step >> 1);
        const std::int64_t next = static_cast<std::int64_t>(id) + 1 + delta;
        if (step >> 1 > 0x10000 || next < 0 || next > 0xFFFF) return false;
        id = static_cast<int>(next);
        const std::uint8_t kind = head & 7;
        const std::uint64_t size = head >> 3;
        std::string_view value;
        if (kind == kText || kind == kNarrowText) {
            if (size > bytes.size() || !reader.Take(kind == kText ? 2 * size : size, value)) return false;
            sink.Text(static_cast<std::uint16_t>(id), value, kind == kNarrowText);
        } else if (kind == kTime) {
            if (size != 0 || !reader.Take(8, value)) return false;
            sink.Time(static_cast<std::uint16_t>(id), static_cast<FileTime>(LittleEndian(value)));
        } else if (static_cast<std::size_t>(kind - kInColumn) < kColumnCount) {
            const std::size_t column = kind - kInColumn;
            const ColumnView& held = columns[column];
            if (size != 0 || referenced[column] || ids[column] != id ||
                (held.kind != ColumnKind::Text && held.kind != ColumnKind::Time))
                return false;
            if (column == static_cast<std::size_t>(Column::Sort) && held.kind != ColumnKind::Text) return false;
            referenced[column] = true;
            if (held.kind == ColumnKind::Text)
                sink.Column(static_cast<std::uint16_t>(id), held);
            else
                sink.Time(static_cast<std::uint16_t>(id), static_cast<FileTime>(held.time));
        } else {
            return false;
        }
    }
    if (!reader.AtEnd()) return false;
    // A column no property names holds what EncodeRecord puts there: nothing,
    // or in a used column the empty text; else lookups would find the record
    // by a value it does not hold.
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        if (referenced[column]) continue;
        const ColumnView& held = columns[column];
        const bool used = ids[column] >= 0;
        if (used ? held.kind != ColumnKind::Text || !held.text.empty() : held.kind != ColumnKind::None) return false;
    }
    return true;
}

struct Decoder {
    std::vector<Property>& out;

    void Count(std::uint64_t count) {
        out.clear();
        out.reserve(count);
    }
    void Text(std::uint16_t id, std::string_view bytes, bool narrow) {
        // Reused, so each text costs one allocation, in its property.
        thread_local std::u16string text;
        const std::size_t units = narrow ? bytes.size() : bytes.size() / 2;
        text.resize(units);
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < units; ++i)
            text[i] = narrow ? in[i] : static_cast<char16_t>(in[2 * i] | in[2 * i + 1] << 8);
        out.emplace_back(text, id);
    }
    void Column(std::uint16_t id, const ColumnView& held) {
        if (held.decoded) out.emplace_back(*held.decoded, id);
        else out.emplace_back(TextOfOrderedBytes(held.text), id);
    }
    void Time(std::uint16_t id, FileTime time) { out.emplace_back(time, id); }
};

struct Checker {
    void Count(std::uint64_t) {}
    void Text(std::uint16_t, std::string_view, bool) {}
    void Column(std::uint16_t, const ColumnView&) {}
    void Time(std::uint16_t, FileTime) {}
};

}  // namespace

void EncodeRecord(const std::vector<Property>& properties, const ColumnIds& ids, StoredRecord& out) {
    std::optional<std::size_t> held[kColumnCount];
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        ColumnValue& value = out.columns[column];
        value = ColumnValue{ids[column] >= 0 ? ColumnKind::Text : ColumnKind::None, {}, 0};
        if (ids[column] < 0) continue;
        for (std::size_t i = 0; i < properties.size(); ++i) {
            const Property& property = properties[i];
            if (property.Id() != ids[column]) continue;
            // Only the first of an id counts, as PropertyRecord::GetProperty gives it.
            if (column == static_cast<std::size_t>(Column::Sort) && property.Kind() != PropertyKind::String) break;
            held[column] = i;
            if (property.Kind() == PropertyKind::String) {
                value.text = OrderedBytes(property.StringValue());
            } else {
                value.kind = ColumnKind::Time;
                value.time = static_cast<std::int64_t>(property.FileTimeValue());
            }
            break;
        }
    }
    std::string& bytes = out.bytes;
    bytes.clear();
    PutVarint(bytes, properties.size());
    int previous = 0;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const Property& property = properties[i];
        PutVarint(bytes, IdStep(previous, property.Id()));
        previous = property.Id();
        std::size_t column = 0;
        while (column < kColumnCount && held[column] != i) ++column;
        if (column < kColumnCount) {
            PutVarint(bytes, kInColumn + column);
        } else if (property.Kind() == PropertyKind::FileTime) {
            PutVarint(bytes, kTime);
            for (int b = 0; b < 8; ++b) bytes += static_cast<char>((property.FileTimeValue() >> (8 * b)) & 0xFF);
        } else {
            const std::u16string& text = property.StringValue();
            const bool narrow = IsNarrow(text);
            PutVarint(bytes, text.size() << 3 | (narrow ? kNarrowText : kText));
            for (char16_t unit : text) {
                bytes += static_cast<char>(unit & 0xFF);
                if (!narrow) bytes += static_cast<char>(unit >> 8);
            }
        }
    }
}

bool DecodeRecord(std::string_view bytes, const ColumnViews& columns, const ColumnIds& ids, std::vector<Property>& out) {
    Decoder decoder{out};
    return Parse(bytes, columns, ids, decoder);
}

bool RecordDecodes(std::string_view bytes, const ColumnViews& columns, const ColumnIds& ids) {
    Checker checker;
    return Parse(bytes, columns, ids, checker);
}

std::string KeptUndecodable(std::string_view bytes) {
    std::string kept;
    PutVarint(kept, std::uint64_t{1} << 63);
    kept += bytes;
    return kept;
}

std::u16string TextOfOrderedBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        std::uint32_t point = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        for (int k = 1; k <= extra && i + k < bytes.size(); ++k) point = (point << 6) | (bytes[i + k] & 0x3F);
        i += 1 + extra;
        if (point >= 0x10000) {
            point = (point - 0x10000) & 0xFFFFF;
            text += static_cast<char16_t>(0xD800 + (point >> 10));
            text += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            text += static_cast<char16_t>(point);
        }
    }
    return text;
}

std::string OrderedBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t point = text[i];
        if (point >= 0xD800 && point < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return out;
}
