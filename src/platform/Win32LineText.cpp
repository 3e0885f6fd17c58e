#include "platform/Win32LineText.h"

#include <windows.h>

namespace {

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string Converted(std::string_view text, UINT from, UINT to) {
    if (text.empty() || IsAscii(text))
        return std::string(text);
    const int length = static_cast<int>(text.size());
    const int wideLength = ::MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(from, 0, text.data(), length, &wide[0], wideLength);
    const int resultLength =
        ::WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (resultLength <= 0)
        return std::string();
    std::string result(static_cast<std::size_t>(resultLength), '\0');
    ::WideCharToMultiByte(to, 0, wide.data(), wideLength, &result[0], resultLength, nullptr, nullptr);
    return result;
}

} // namespace

std::string CodePageText(std::string_view utf8) {
    return Converted(utf8, CP_UTF8, CP_ACP);
}

std::string Utf8Text(std::string_view codePage) {
    return Converted(codePage, CP_ACP, CP_UTF8);
}
