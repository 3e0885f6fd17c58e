// dravik-send: the viewer's commands from a command line or a batch file. See kUsage for the options.
#include "Arguments.h"
#include "LineSplitter.h"

#include "dravik/client.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum ExitCode { kSent = 0, kBadUsage = 1, kNoViewer = 2, kTimeout = 3, kFailed = 4 };

int Report(int status) {
    switch (status) {
    case DRAVIK_OK:
        return kSent;
    case DRAVIK_NO_VIEWER:
        std::fprintf(stderr, "dravik-send: %s\n", dravik_strerror(status));
        return kNoViewer;
    case DRAVIK_TIMEOUT:
        std::fprintf(stderr, "dravik-send: the viewer did not answer within %u ms\n", dravik_get_timeout());
        return kTimeout;
    default:
        std::fprintf(stderr, "dravik-send: the command could not be sent: %s\n", dravik_strerror(status));
        return kFailed;
    }
}

// Prints each line of standard input; returns the exit code. Reads through the Win32 handle rather than the
// C runtime's stdin: the runtime's text mode would end the input at a Ctrl-Z byte.
int PrintStandardInput() {
    // Piped input may take long to come: say at once when nobody is listening.
    if (FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE) == nullptr)
        return Report(DRAVIK_NO_VIEWER);
    int status = DRAVIK_OK;
    LineSplitter splitter;
    auto print = [&status](const std::string& line) {
        status = dravik_print(line.c_str());
        return status == DRAVIK_OK;
    };
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return kSent; // no standard input at all: no lines
    std::vector<char> buffer(65536);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) // the writing end closed: the normal end of a pipe
                break;
            std::fprintf(stderr, "dravik-send: cannot read standard input (error %lu)\n", GetLastError());
            return kFailed;
        }
        if (got == 0)
            break;
        if (!splitter.Feed(buffer.data(), got, print))
            return Report(status);
    }
    splitter.Finish(print);
    return Report(status);
}

int Run(const Arguments& arguments) {
    switch (arguments.action) {
    case Action::Print:
        return dravik_print(arguments.text.c_str());
    case Action::Clear:
        return dravik_clear();
    case Action::Load:
        return dravik_load(arguments.text.c_str());
    case Action::Save:
        return dravik_save(arguments.text.c_str());
    case Action::SetLog:
        return dravik_setlog(arguments.text.c_str());
    case Action::PrintStdin: // has its own exit path
    case Action::Help:
        break;
    }
    return DRAVIK_ERROR;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    std::string error;
    if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), arguments, error)) {
        std::fprintf(stderr, "dravik-send: %s\n%s", error.c_str(), kUsage);
        return kBadUsage;
    }
    if (arguments.action == Action::Help) {
        std::fputs(kUsage, stdout);
        return kSent;
    }
    if (arguments.timeoutMs != 0)
        dravik_set_timeout(arguments.timeoutMs);
    if (arguments.action == Action::PrintStdin)
        return PrintStandardInput();
    return Report(Run(arguments));
}
