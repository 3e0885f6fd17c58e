#pragma once

#include <cstdint>
#include <string>

// Reads a decimal integer ("  -12", "+7") or a 32-bit hexadecimal pattern
// ("$FFFFFFFF"); leading spaces are allowed, anything else is not.
bool TryStrToInt(const std::string& text, std::int32_t& value);

// As TryStrToInt, raising "'<text>' is not a valid integer value" on failure.
std::int32_t StrToInt(const std::string& text);
