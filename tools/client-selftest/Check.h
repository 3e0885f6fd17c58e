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
#define CHECK_EQ(actual, expected)                                                                           \
    (((actual) == (expected))                                                                                \
         ? true                                                                                              \
         : (ReportFailure(__FILE__, __LINE__,                                                                \
                          std::string(#actual " == " #expected ": got ") + Describe(actual)),                \
            false))

std::string Describe(int value);
std::string Describe(unsigned value);
std::string Describe(unsigned long value);
std::string Describe(const std::string& value);
std::string Describe(const std::vector<std::string>& values);
