#pragma once

#include "handle.h"

#include <string>

namespace e2e {

struct ProgramResult {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    // Standard output and standard error together.
    std::string output;
};

// Starts a console program with the given standard input and output (standard error goes to the output too);
// the handles must be inheritable. The returned process handle is empty when it could not start.
UniqueHandle StartWithStandardHandles(const std::string& commandLine, const std::string& folder, HANDLE input,
                                      HANDLE output);

// A console program this test started, with its standard input given at the start and its output collected.
// With keepInputOpen, its standard input ends only with CloseInput or Finish, and Write adds to it meanwhile.
class ChildProgram {
  public:
    ChildProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                 bool keepInputOpen = false);
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    // Ends the program if it is still running: it is ours.
    ~ChildProgram();

    // Small inputs only: the program may not read them before the pipe's buffer is full.
    bool Write(const std::string& input);
    void CloseInput() { input_ = UniqueHandle(); }
    // Ends the input, then waits at most timeoutMs for the end; a program still running then is terminated
    // and ended stays false.
    ProgramResult Finish(DWORD timeoutMs);

  private:
    ProgramResult result_;
    UniqueHandle process_;
    UniqueHandle input_;
    UniqueHandle output_;
};

ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs);

} // namespace e2e
