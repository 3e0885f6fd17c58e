#include "common/Utf8.h"

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The range the second byte of a sequence must lie in: it rules out overlong forms, surrogates and
// values beyond U+10FFFF in one check.
void SecondByteRange(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
}

bool IsAscii(const char* p, const char* end) {
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

} // namespace

char32_t DecodeUtf8(const char* p, const char* end, std::size_t& length) {
    const unsigned char lead = static_cast<unsigned char>(*p);
    length = 1;
    if (lead < 0x80)
        return lead;
    std::size_t needed;
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3;
        code = lead & 0x07;
    } else {
        return ReplacementCharacter;
    }
    unsigned char low, high;
    SecondByteRange(lead, low, high);
    for (std::size_t i = 1; i <= needed; ++i) {
        if (p + i >= end)
            return ReplacementCharacter;
        const unsigned char byte = static_cast<unsigned char>(p[i]);
        if (i == 1 ? byte < low || byte > high : !IsContinuation(byte))
            return ReplacementCharacter;
        code = (code << 6) | (byte & 0x3F);
        length = i + 1;
    }
    return code;
}

std::size_t EncodeUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

void AppendUtf16FromUtf8(std::string_view utf8, std::u16string& out) {
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        // Most of a log is ASCII: one branch per byte there.
        const unsigned char byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) {
            out.push_back(static_cast<char16_t>(byte));
            ++p;
            continue;
        }
        std::size_t length;
        const char32_t code = DecodeUtf8(p, end, length);
        p += length;
        if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
    std::u16string text;
    text.reserve(utf8.size());
    AppendUtf16FromUtf8(utf8, text);
    return text;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
    std::string text;
    text.reserve(utf16.size());
    char bytes[4];
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = ReplacementCharacter;
        }
        text.append(bytes, EncodeUtf8(code, bytes));
    }
    return text;
}

void AppendValidUtf8(std::string_view bytes, std::string& out) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (IsAscii(p, end)) {
        out.append(p, bytes.size());
        return;
    }
    char replacement[4];
    const std::size_t replacementLength = EncodeUtf8(ReplacementCharacter, replacement);
    while (p < end) {
        std::size_t length;
        const char32_t code = DecodeUtf8(p, end, length);
        // Only EF BF BD decodes to U+FFFD as a well-formed sequence; every other way is a stand-in for
        // bytes that were not.
        if (code == ReplacementCharacter && !(length == 3 && static_cast<unsigned char>(*p) == 0xEF))
            out.append(replacement, replacementLength);
        else
            out.append(p, length);
        p += length;
    }
}
