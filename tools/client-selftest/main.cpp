// Checks include/dravik/client.h and dravik-send's parts against null-viewer.exe, which must sit beside
// this program. Needs a desktop (an X display under Wine) on which no other viewer runs.
//
//   client-selftest                  run every test; exit 0 when all pass
#include "Tests.h"

#include "dravik/client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

TempFolder& Scratch() {
    static TempFolder folder;
    return folder;
}

std::string Pattern(std::size_t length, char first) {
    std::string text(length, ' ');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + (first - 'a' + i) % 26);
    return text;
}

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child-print") == 0)
        return ChildPrint(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));

    SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, nullptr); // the tests expect the default to start with
    TestResults results;
    RunSendToolTests(results);
    RunChannelTests(results);
    RunConcurrencyTests(results);
    std::printf("%d passed, %d failed\n", results.passed, results.failed);
    return results.failed == 0 ? 0 : 1;
}
