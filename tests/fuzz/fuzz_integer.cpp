// The integer conversion that reads the window placement from the settings,
// over arbitrary strings, against a reference parser written for this test.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "common/ViewerError.h"
#include "shell/IntegerText.h"

namespace {
bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Predicate> bool AllOf(const std::string& text, Predicate predicate) {
    for (char c : text)
        if (!predicate(c))
            return false;
    return true;
}

// Decides the range on the digit string itself (no arithmetic that could
// overflow): without leading zeros, the magnitude fits when it has fewer
// than ten digits, or ten that do not sort after the limit.
bool ReferenceDecimal(bool negative, std::string digits, std::int32_t& value) {
    if (digits.empty() || !AllOf(digits, IsDecimalDigit))
        return false;
    digits.erase(0, digits.find_first_not_of('0'));
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return false;
    std::int64_t magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * 10 + (c - '0');
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

bool ReferenceParse(const std::string& text, std::int32_t& value) {
    std::string::size_type at = 0;
    while (at < text.size() && text[at] == ' ')
        ++at;
    const std::string rest = text.substr(at);
    if (rest.empty())
        return false;
    if (rest[0] == '$') {
        const std::string digits = rest.substr(1);
        if (digits.empty() || digits.size() > 8 || !AllOf(digits, IsHexDigit))
            return false;
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16)));
        return true;
    }
    if (rest[0] == '+' || rest[0] == '-')
        return ReferenceDecimal(rest[0] == '-', rest.substr(1), value);
    return ReferenceDecimal(false, rest, value);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int32_t expected = 0;
    const bool valid = ReferenceParse(text, expected);

    std::int32_t value = 0;
    const bool accepted = TryStrToInt(text, value);
    Check(accepted == valid, valid ? "valid integer text refused" : "invalid integer text accepted",
          "text " + Hex(text));
    if (valid)
        Check(value == expected, "integer value",
              "text " + Hex(text) + ": expected " + std::to_string(expected) + ", got " +
                  std::to_string(value));

    try {
        const std::int32_t converted = StrToInt(text);
        Check(valid, "StrToInt accepted invalid text", Hex(text));
        Check(converted == expected, "StrToInt value", Hex(text));
    } catch (const TViewerError& error) {
        Check(!valid, "StrToInt raised for valid text", Hex(text));
        // The message travels as a C string: a zero byte in the text (which
        // the settings reader never passes on) ends it early.
        const std::string message = "'" + text + "' is not a valid integer value";
        Check(error.what() == message.substr(0, message.find('\0')), "conversion error message",
              "got " + Hex(error.what()));
    }
    return 0;
}
