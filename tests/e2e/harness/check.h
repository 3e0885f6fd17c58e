#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

// A tiny test runner: every check is counted, failures print file:line and detail, and Finish() prints
// the summary line that scripts/test.sh adds up.
namespace e2e {

bool Check(bool ok, const char* file, int line, const std::string& detail);
// Makes control characters visible, so that a stray CR or LF in a failure message can be seen.
std::string Printable(const std::string& text);

inline std::string ToText(const std::string& value) {
    return "\"" + Printable(value) + "\"";
}
inline std::string ToText(const char* value) {
    return ToText(std::string(value));
}
inline std::string ToText(bool value) {
    return value ? "true" : "false";
}
inline std::string ToText(const std::vector<std::string>& values) {
    std::string text = std::to_string(values.size()) + " texts:";
    for (const std::string& value : values)
        text += "\n    " + ToText(value);
    return text;
}
template <class T> std::string ToText(const T& value) {
    static_assert(std::is_arithmetic<T>::value || std::is_enum<T>::value, "no text form for this type");
    return std::to_string(static_cast<long long>(value));
}

// Where two long texts part: their printed forms alone are cut in the middle.
std::string FirstDifference(const std::string& actual, const std::string& expected);

template <class A, class B>
bool CheckEqual(const A& actual, const B& expected, const char* file, int line, const char* actualText,
                const char* expectedText) {
    const bool ok = actual == expected;
    std::string detail;
    if (!ok) {
        detail = std::string(actualText) + " == " + expectedText + ": got " + ToText(actual) + ", expected " +
                 ToText(expected);
        if constexpr (std::is_convertible<A, std::string>::value &&
                      std::is_convertible<B, std::string>::value) {
            detail += FirstDifference(actual, expected);
        }
    }
    return Check(ok, file, line, detail);
}

using TestFunction = std::function<void()>;
// Runs one named group of checks; a group stops at its first failed precondition by returning early.
void RunTest(const char* name, const TestFunction& test);
// A test that cannot run here: printed, not counted.
void Skip(const char* name, const char* reason);
// The failed checks so far.
int FailedChecks();
// Prints "N passed, N failed" and gives the process exit code.
int Finish();

} // namespace e2e

#define CHECK(condition) ::e2e::Check(static_cast<bool>(condition), __FILE__, __LINE__, #condition)
#define CHECK_MSG(condition, detail)                                                                         \
    ::e2e::Check(static_cast<bool>(condition), __FILE__, __LINE__, std::string(#condition) + ": " + (detail))
#define FAIL(detail) ::e2e::Check(false, __FILE__, __LINE__, (detail))
#define CHECK_EQ(actual, expected)                                                                           \
    ::e2e::CheckEqual((actual), (expected), __FILE__, __LINE__, #actual, #expected)
