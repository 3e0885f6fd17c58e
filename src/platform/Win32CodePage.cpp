#include "platform/Win32CodePage.h"

#include <windows.h>

#include <climits>
#include <cstddef>

namespace {
// Buffers grown by one long line give their room back afterwards.
const std::size_t KeptRoom = 65536;

// A line is never near 2 GB; a text that were would be converted only up to there.
int LengthOf(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Neither a code page's byte nor a byte of UTF-8 makes more than one UTF-16 unit, so the text's length in
// bytes is room enough. A byte that is no UTF-8 becomes U+FFFD.
void ToWide(UINT page, std::string_view text, std::wstring& wide) {
    wide.resize(text.size());
    const int units = text.empty() ? 0
                                   : ::MultiByteToWideChar(page, 0, text.data(), LengthOf(text.size()),
                                                           &wide[0], LengthOf(wide.size()));
    wide.resize(units > 0 ? static_cast<std::size_t>(units) : 0);
}

void FromWide(UINT page, DWORD flags, const char* unknown, const std::wstring& wide, std::size_t bytesPerUnit,
              std::string& out) {
    out.resize(wide.size() * bytesPerUnit);
    const int bytes = wide.empty() ? 0
                                   : ::WideCharToMultiByte(page, flags, wide.data(), LengthOf(wide.size()),
                                                           &out[0], LengthOf(out.size()), unknown, nullptr);
    out.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
}

void GiveBackRoom(std::wstring& wide) {
    if (wide.capacity() > KeptRoom)
        std::wstring().swap(wide);
}

// A character beyond the Basic Multilingual Plane is two UTF-16 units, which an 8-bit code page would make
// two "?": it is one character, and one "?".
void JoinSurrogatePairs(std::wstring& wide) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
            wide[kept++] = L'?';
            ++i;
            continue;
        }
        wide[kept++] = wide[i];
    }
    wide.resize(kept);
}
} // namespace

// UTF-8 takes at most three bytes for one UTF-16 unit (four for a pair of two).
void TWin32ToUtf8::Convert(std::string_view codePageText, std::string& utf8) {
    ToWide(CP_ACP, codePageText, FWide);
    FromWide(CP_UTF8, 0, nullptr, FWide, 3, utf8);
    GiveBackRoom(FWide);
}

// A code page of two bytes a character takes at most two for one UTF-16 unit.
void TWin32FromUtf8::Convert(std::string_view utf8, std::string& codePageText) {
    ToWide(CP_UTF8, utf8, FWide);
    const UINT page = ::GetACP();
    if (page == CP_UTF8) {
        FromWide(CP_UTF8, 0, nullptr, FWide, 3, codePageText);
    } else {
        JoinSurrogatePairs(FWide);
        FromWide(page, WC_NO_BEST_FIT_CHARS, "?", FWide, 2, codePageText);
    }
    GiveBackRoom(FWide);
}
