#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as the history files hold it, and UTF-16 as the window shows it. Bytes that are not well-formed
// UTF-8 (a foreign tool's edit, a line cut short) show as U+FFFD, one for each longest beginning of a
// sequence that could still have been valid, as Unicode recommends.
const char32_t ReplacementCharacter = 0xFFFD;

// The code point at p (p < end); sets length to the bytes it takes (at least one).
char32_t DecodeUtf8(const char* p, const char* end, std::size_t& length);
// Writes the UTF-8 form of a code point (not a surrogate) to out; returns its length, 1 to 4.
std::size_t EncodeUtf8(char32_t code, char* out);

void AppendUtf16FromUtf8(std::string_view utf8, std::u16string& out);
std::u16string Utf16FromUtf8(std::string_view utf8);
// A lone surrogate, which Windows' edit boxes allow, becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);
// Copies well-formed UTF-8 as it is and writes U+FFFD for the rest, so that what is written is valid UTF-8
// and shows the same as the row did.
void AppendValidUtf8(std::string_view bytes, std::string& out);
