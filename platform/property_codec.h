#pragma once
// The stored form of a record's properties: a count, then per property its id,
// kind and value, little-endian; texts of byte-sized code units one byte each.

#include "platform/record_store.h"

#include <string>
#include <string_view>
#include <vector>

std::string EncodeProperties(const std::vector<Property>& properties);
// False for bytes that are not a complete encoding.
bool DecodeProperties(std::string_view bytes, std::vector<Property>& out);
// Whether DecodeProperties would take the bytes, without making the properties.
bool Decodes(std::string_view bytes);
// Bytes that compare (as memcmp, shorter first) as the texts' code points do;
// lone surrogates keep their place among the code points.
std::string OrderedBytes(std::u16string_view text);
// The text OrderedBytes made the bytes from.
std::u16string TextOfOrderedBytes(std::string_view bytes);
