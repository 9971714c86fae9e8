#include "platform/property_codec.h"

#include <cstdint>

namespace {

// Texts whose code units all fit a byte (most of them) take one byte per unit.
enum : std::uint8_t { kKindString = 0, kKindFileTime = 1, kKindNarrowString = 2 };

bool IsNarrow(const std::u16string& text) {
    for (char16_t unit : text)
        if (unit > 0xFF) return false;
    return true;
}

void PutUnsigned(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Unsigned(int bytes, std::uint64_t& value) {
        if (bytes_.size() - pos_ < static_cast<std::size_t>(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
        pos_ += bytes;
        return true;
    }

    bool NarrowText(std::uint64_t units, std::u16string& text) {
        if (bytes_.size() - pos_ < units) return false;
        text.resize(units);
        for (std::uint64_t i = 0; i < units; ++i) text[i] = static_cast<unsigned char>(bytes_[pos_++]);
        return true;
    }

    bool Text(std::uint64_t units, std::u16string& text) {
        if ((bytes_.size() - pos_) / 2 < units) return false;
        text.resize(units);
        for (std::uint64_t i = 0; i < units; ++i, pos_ += 2)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes_[pos_]) |
                                            static_cast<unsigned char>(bytes_[pos_ + 1]) << 8);
        return true;
    }

    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string EncodeProperties(const std::vector<Property>& properties) {
    std::string out;
    out.reserve(64);
    PutUnsigned(out, properties.size(), 2);
    for (const Property& property : properties) {
        PutUnsigned(out, property.Id(), 2);
        if (property.Kind() == PropertyKind::String) {
            const std::u16string& text = property.StringValue();
            bool narrow = IsNarrow(text);
            out.push_back(static_cast<char>(narrow ? kKindNarrowString : kKindString));
            PutUnsigned(out, text.size(), 4);
            for (char16_t unit : text) PutUnsigned(out, unit, narrow ? 1 : 2);
        } else {
            out.push_back(static_cast<char>(kKindFileTime));
            PutUnsigned(out, property.FileTimeValue(), 8);
        }
    }
    return out;
}

bool DecodeProperties(std::string_view bytes, std::vector<Property>& out) {
    Reader reader(bytes);
    std::uint64_t count = 0;
    if (!reader.Unsigned(2, count)) return false;
    out.clear();
    out.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t id = 0, kind = 0, value = 0;
        if (!reader.Unsigned(2, id) || !reader.Unsigned(1, kind)) return false;
        if (kind == kKindString || kind == kKindNarrowString) {
            // Reused so each text costs one allocation, in its property.
            thread_local std::u16string text;
            if (!reader.Unsigned(4, value)) return false;
            if (!(kind == kKindString ? reader.Text(value, text) : reader.NarrowText(value, text))) return false;
            out.emplace_back(text, static_cast<std::uint16_t>(id));
        } else if (kind == kKindFileTime) {
            if (!reader.Unsigned(8, value)) return false;
            out.emplace_back(static_cast<FileTime>(value), static_cast<std::uint16_t>(id));
        } else {
            return false;
        }
    }
    return reader.AtEnd();
}
