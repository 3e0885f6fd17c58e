#pragma once

#include <string>
#include <vector>

// The self-test's small harness: a test is a function; it fails when any CHECK in it fails.
struct TestResults {
    int passed = 0;
    int failed = 0;
};

void ReportFailure(const char* file, int line, const std::string& what);
bool CurrentTestFailed();
void RunTest(TestResults& results, const char* name, void (*test)());

#define CHECK(condition) ((condition) ? true : (ReportFailure(__FILE__, __LINE__, #condition), false))
// Evaluates each side once: the calls under test have effects.
#define CHECK_EQ(actual, expected)                                                                           \
    CheckEqual((actual), (expected), __FILE__, __LINE__, #actual " == " #expected)

std::string Describe(int value);
std::string Describe(unsigned value);
std::string Describe(unsigned long value);
std::string Describe(const std::string& value);
std::string Describe(const std::vector<std::string>& values);

template <typename Actual, typename Expected>
bool CheckEqual(const Actual& actual, const Expected& expected, const char* file, int line,
                const char* text) {
    if (actual == expected)
        return true;
    ReportFailure(file, line, std::string(text) + ": got " + Describe(actual));
    return false;
}
