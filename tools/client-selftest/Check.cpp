#include "Check.h"

#include <cstdio>

namespace {

bool failedNow = false;

} // namespace

void ReportFailure(const char* file, int line, const std::string& what) {
    failedNow = true;
    std::printf("    FAILED %s:%d: %s\n", file, line, what.c_str());
}

bool CurrentTestFailed() {
    return failedNow;
}

void RunTest(TestResults& results, const char* name, void (*test)()) {
    failedNow = false;
    std::printf("%s\n", name);
    std::fflush(stdout);
    test();
    if (failedNow)
        ++results.failed;
    else
        ++results.passed;
}

std::string Describe(int value) {
    return std::to_string(value);
}

std::string Describe(unsigned value) {
    return std::to_string(value);
}

std::string Describe(unsigned long value) {
    return std::to_string(value);
}

// Long texts are shown by their length and ends: the middle rarely tells anything.
std::string Describe(const std::string& value) {
    if (value.size() <= 60)
        return "\"" + value + "\"";
    return "\"" + value.substr(0, 25) + "...\" (" + std::to_string(value.size()) + " characters, ends \"" +
           value.substr(value.size() - 25) + "\")";
}

std::string Describe(const std::vector<std::string>& values) {
    std::string text = std::to_string(values.size()) + " records:";
    for (const std::string& value : values)
        text += "\n        " + Describe(value);
    return text;
}
