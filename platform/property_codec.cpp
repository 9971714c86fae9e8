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

// Writes `value` little-endian at `out`, which moves past it.
void PutUnsigned(char*& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) *out++ = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A text as stored: its units, one or two bytes each.
struct StoredText {
    std::string_view bytes;
    bool narrow;

    void AppendTo(std::u16string& text) const {
        const std::size_t units = narrow ? bytes.size() : bytes.size() / 2;
        const std::size_t start = text.size();
        text.resize(start + units);
        char16_t* out = text.data() + start;
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        if (narrow) {
            for (std::size_t i = 0; i < units; ++i) out[i] = in[i];
        } else {
            for (std::size_t i = 0; i < units; ++i) out[i] = static_cast<char16_t>(in[2 * i] | in[2 * i + 1] << 8);
        }
    }
};

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

    bool Text(std::uint64_t units, bool narrow, StoredText& text) {
        const std::size_t left = bytes_.size() - pos_;
        if ((narrow ? left : left / 2) < units) return false;
        const std::size_t size = narrow ? units : 2 * units;
        text = StoredText{bytes_.substr(pos_, size), narrow};
        pos_ += size;
        return true;
    }

    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The one reading of the stored form: `sink` gets the count, then each
// property in order; false when the bytes are not a complete encoding.
template <class Sink>
bool Parse(std::string_view bytes, Sink& sink) {
    Reader reader(bytes);
    std::uint64_t count = 0;
    if (!reader.Unsigned(2, count)) return false;
    sink.Count(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t id = 0, kind = 0, value = 0;
        if (!reader.Unsigned(2, id) || !reader.Unsigned(1, kind)) return false;
        if (kind == kKindString || kind == kKindNarrowString) {
            StoredText text;
            if (!reader.Unsigned(4, value) || !reader.Text(value, kind == kKindNarrowString, text)) return false;
            sink.Text(static_cast<std::uint16_t>(id), text);
        } else if (kind == kKindFileTime) {
            if (!reader.Unsigned(8, value)) return false;
            sink.Time(static_cast<std::uint16_t>(id), static_cast<FileTime>(value));
        } else {
            return false;
        }
    }
    return reader.AtEnd();
}

struct Decoder {
    std::vector<Property>& out;

    void Count(std::uint64_t count) {
        out.clear();
        out.reserve(count);
    }
    void Text(std::uint16_t id, const StoredText& stored) {
        // Reused, so each text costs one allocation, in its property.
        thread_local std::u16string text;
        text.clear();
        stored.AppendTo(text);
        out.emplace_back(text, id);
    }
    void Time(std::uint16_t id, FileTime time) { out.emplace_back(time, id); }
};

struct Checker {
    void Count(std::uint64_t) {}
    void Text(std::uint16_t, const StoredText&) {}
    void Time(std::uint16_t, FileTime) {}
};

}  // namespace

std::string EncodeProperties(const std::vector<Property>& properties) {
    std::size_t size = 2;
    for (const Property& property : properties) {
        const std::u16string& text = property.StringValue();
        size += property.Kind() == PropertyKind::String ? 7 + text.size() * (IsNarrow(text) ? 1 : 2) : 11;
    }
    std::string encoded(size, '\0');
    char* out = encoded.data();
    PutUnsigned(out, properties.size(), 2);
    for (const Property& property : properties) {
        PutUnsigned(out, property.Id(), 2);
        if (property.Kind() == PropertyKind::String) {
            const std::u16string& text = property.StringValue();
            bool narrow = IsNarrow(text);
            PutUnsigned(out, narrow ? kKindNarrowString : kKindString, 1);
            PutUnsigned(out, text.size(), 4);
            for (char16_t unit : text) PutUnsigned(out, unit, narrow ? 1 : 2);
        } else {
            PutUnsigned(out, kKindFileTime, 1);
            PutUnsigned(out, property.FileTimeValue(), 8);
        }
    }
    return encoded;
}

bool DecodeProperties(std::string_view bytes, std::vector<Property>& out) {
    Decoder decoder{out};
    return Parse(bytes, decoder);
}

bool Decodes(std::string_view bytes) {
    Checker checker;
    return Parse(bytes, checker);
}

std::u16string TextOfOrderedBytes(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        std::uint32_t point = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        for (int k = 1; k <= extra && i + k < bytes.size(); ++k) point = (point << 6) | (bytes[i + k] & 0x3F);
        i += 1 + extra;
        if (point >= 0x10000) {
            point -= 0x10000;
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
