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

// Ends while holding the clients' mutex, as a client killed in the middle of a print would.
int ChildAbandonMutex() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, DRAVIK_MUTEX_NAME);
    if (mutex == nullptr || WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0)
        return 1;
    ExitProcess(0); // deliberately without ReleaseMutex or CloseHandle
}

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child-print") == 0)
        return ChildPrint(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 2 && std::strcmp(argv[1], "--child-abandon-mutex") == 0)
        return ChildAbandonMutex();
    if (argc == 3 && std::strcmp(argv[1], "--child-decoy") == 0)
        return ChildDecoy(static_cast<UINT_PTR>(std::strtoull(argv[2], nullptr, 10)));

    SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, nullptr); // the tests expect the default to start with
    TestResults results;
    RunSendToolTests(results);
    RunChannelTests(results);
    RunConcurrencyTests(results);
    RunExampleTests(results);
    std::printf("%d passed, %d failed\n", results.passed, results.failed);
    return results.failed == 0 ? 0 : 1;
}
