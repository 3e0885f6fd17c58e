// dravik-send: the viewer's commands from a command line or a batch file. See kUsage for the options.
#include "Arguments.h"
#include "LineSplitter.h"

#include "dravik/client.h"

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
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

const char* const kUtf8Bom = "\xEF\xBB\xBF";

// Prints each line of standard input; returns the exit code. Reads through the Win32 handle rather than the
// C runtime's stdin: the runtime's text mode would end the input at a Ctrl-Z byte. Input read as UTF-8 may
// start with a byte order mark, which is no text of its own.
int PrintStandardInput(bool utf8) {
    // Piped input may take long to come: say at once when nobody is listening.
    if (FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE) == nullptr)
        return Report(DRAVIK_NO_VIEWER);
    int status = DRAVIK_OK;
    bool first = true;
    LineSplitter splitter;
    auto print = [&status, &first, utf8](const std::string& line) {
        if (!utf8) {
            status = dravik_print(line.c_str());
        } else {
            const bool bom = first && line.compare(0, 3, kUtf8Bom) == 0;
            status = dravik_print_utf8(line.c_str() + (bom ? 3 : 0));
        }
        first = false;
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
        return arguments.utf8 ? dravik_print_utf8(arguments.text.c_str())
                              : dravik_print(arguments.text.c_str());
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

std::string Utf8Of(const wchar_t* text) {
    const int length = static_cast<int>(wcslen(text));
    if (length == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

// argv holds the words in the system's code page, which has lost every character it cannot hold: with
// --utf8 they are read again from the wide command line. False when it cannot be had.
bool Utf8Arguments(std::vector<std::string>& args) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr)
        return false;
    args.clear();
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8Of(words[i]));
    LocalFree(words);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    std::string error;
    std::vector<std::string> args(argv + 1, argv + argc);
    bool parsed = ParseArguments(args, arguments, error);
    if (parsed && arguments.utf8 && arguments.action == Action::Print) {
        if (!Utf8Arguments(args)) {
            std::fprintf(stderr, "dravik-send: cannot read the command line (error %lu)\n", GetLastError());
            return kFailed;
        }
        parsed = ParseArguments(args, arguments, error);
    }
    if (!parsed) {
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
        return PrintStandardInput(arguments.utf8);
    return Report(Run(arguments));
}
