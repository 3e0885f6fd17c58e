#include "shell/IntegerText.h"

#include "common/ViewerError.h"

namespace {
int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHex(const std::string& digits, std::int32_t& value) {
    if (digits.empty() || digits.size() > 8)
        return false;
    std::uint32_t pattern = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        pattern = pattern * 16 + static_cast<std::uint32_t>(digit);
    }
    value = static_cast<std::int32_t>(pattern);
    return true;
}

bool ParseDecimal(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        i = 1;
    if (i == text.size())
        return false;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}
} // namespace

bool TryStrToInt(const std::string& text, std::int32_t& value) {
    const std::string::size_type start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    const std::string rest = text.substr(start);
    if (rest[0] == '$')
        return ParseHex(rest.substr(1), value);
    return ParseDecimal(rest, value);
}

std::int32_t StrToInt(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw TViewerError("'" + text + "' is not a valid integer value");
    return value;
}
