// Checks include/dravik/client.h, the example programs and dravik-send's parts against null-viewer.exe, which
// must sit beside this program. Needs a desktop (an X display under Wine) on which no other viewer runs.
#include "client/client_tests.h"

#include "dravik/client.h"

#include <cstdlib>
#include <cstring>

namespace e2e {

const std::string& Scratch() {
    static const std::string folder = MakeTempFolder();
    return folder;
}

std::string Pattern(std::size_t length, char first) {
    std::string text(length, ' ');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + (first - 'a' + i) % 26);
    return text;
}

} // namespace e2e

using namespace e2e;

namespace {

// Ends while holding the clients' mutex, as a client killed in the middle of a print would.
int ChildAbandonMutex() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, DRAVIK_MUTEX_NAME);
    if (mutex == nullptr || WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0)
        return 1;
    ExitProcess(0); // deliberately without ReleaseMutex or CloseHandle
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child-print") == 0)
        return ChildPrint(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 2 && std::strcmp(argv[1], "--child-abandon-mutex") == 0)
        return ChildAbandonMutex();
    if (argc == 3 && std::strcmp(argv[1], "--child-decoy") == 0)
        return ChildDecoy(static_cast<UINT_PTR>(std::strtoull(argv[2], nullptr, 10)));

    SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, nullptr); // the tests expect the default to start with
    RunSendToolTests();
    RunChannelTests();
    RunConcurrencyTests();
    RunExampleTests();
    RemoveFolder(Scratch());
    return Finish();
}
