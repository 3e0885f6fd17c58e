#pragma once

#include <windows.h>

#include <string>

namespace e2e {

struct ProgramResult {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    // Standard output and standard error together.
    std::string output;
};

// Runs a console program with the given text on its standard input and waits at most timeoutMs;
// a program still running then is terminated (it is ours) and ended stays false.
ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs);

} // namespace e2e
