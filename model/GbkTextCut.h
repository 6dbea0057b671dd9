// Texts stored in fixed GBK byte fields: cut on a character boundary, never
// through the middle of a two-byte character.
#pragma once

#include <cstddef>
#include <string>

// The longest start of the UTF-8 text whose GBK form fits maxBytes.
std::string CutToGbkLength(const std::string& utf8, std::size_t maxBytes);
// Stores the text in GBK with its terminator, cut to fit the field.
void StoreGbkField(char* field, std::size_t size, const std::string& utf8);
