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
// Whether DecodeProperties would accept the bytes, without decoding them; when
// it would, `sortText` is the text of the string property `sortId` (empty when
// there is none, or when that property is a time).
bool ScanProperties(std::string_view bytes, std::uint16_t sortId, std::u16string& sortText);
