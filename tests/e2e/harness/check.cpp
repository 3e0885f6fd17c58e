#include "check.h"

#include <windows.h>

#include <cstdio>

namespace e2e {
namespace {

int passedCount = 0;
int failedCount = 0;

} // namespace

bool Check(bool ok, const char* file, int line, const std::string& detail) {
    if (ok) {
        ++passedCount;
    } else {
        ++failedCount;
        std::printf("%s:%d: FAILED: %s\n", file, line, detail.c_str());
        std::fflush(stdout);
    }
    return ok;
}

std::string Printable(const std::string& text) {
    // Long texts (a full pane) would flood the output; their length and both ends are enough to compare.
    const std::size_t limit = 400;
    std::string shown;
    auto append = [&shown](unsigned char c) {
        switch (c) {
        case '\r':
            shown += "\\r";
            break;
        case '\n':
            shown += "\\n";
            break;
        case '\t':
            shown += "\\t";
            break;
        case '\\':
            shown += "\\\\";
            break;
        case '"':
            shown += "\\\"";
            break;
        default:
            if (c < 32 || c >= 127) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                shown += hex;
            } else {
                shown += static_cast<char>(c);
            }
        }
    };
    if (text.size() <= limit) {
        for (unsigned char c : text)
            append(c);
        return shown;
    }
    for (std::size_t i = 0; i < limit / 2; ++i)
        append(static_cast<unsigned char>(text[i]));
    shown += "...(" + std::to_string(text.size()) + " chars)...";
    for (std::size_t i = text.size() - limit / 2; i < text.size(); ++i)
        append(static_cast<unsigned char>(text[i]));
    return shown;
}

std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t from = at > 20 ? at - 20 : 0;
    return " (lengths " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at " + std::to_string(at) + ": got \"" + Printable(actual.substr(from, 60)) +
           "\", expected \"" + Printable(expected.substr(from, 60)) + "\")";
}

void RunTest(const char* name, const TestFunction& test) {
    const int failedBefore = failedCount;
    std::printf("[ RUN  ] %s\n", name);
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    test();
    std::printf("[ %s ] %s (%lu ms)\n", failedCount == failedBefore ? " OK " : "FAIL", name,
                static_cast<unsigned long>(GetTickCount() - start));
    std::fflush(stdout);
}

void Skip(const char* name, const char* reason) {
    std::printf("[ SKIP ] %s: %s\n", name, reason);
    std::fflush(stdout);
}

int FailedChecks() {
    return failedCount;
}

int Finish() {
    std::printf("%d passed, %d failed\n", passedCount, failedCount);
    std::fflush(stdout);
    return failedCount == 0 ? 0 : 1;
}

} // namespace e2e
