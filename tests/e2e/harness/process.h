#pragma once

#include "platform/Win32Handles.h"

#include <string>

namespace e2e {

// A program this test started. Ended at destruction if it still runs: it is ours.
class StartedProgram {
  public:
    StartedProgram() = default;
    explicit StartedProgram(const std::string& commandLine, const std::string& folder = std::string()) {
        Start(commandLine, folder);
    }
    StartedProgram(StartedProgram&&) noexcept = default;
    StartedProgram& operator=(StartedProgram&& other) noexcept;
    ~StartedProgram() { Terminate(); }

    // Starts commandLine in folder (empty: this program's current directory), after ending the program
    // started before if it still runs. With standard handles given (they must be inheritable), standard
    // error goes to output too. False when it could not start.
    bool Start(const std::string& commandLine, const std::string& folder = std::string(),
               HANDLE input = nullptr, HANDLE output = nullptr);

    bool Started() const { return process_.Valid(); }
    HANDLE Handle() const { return process_.Get(); }
    DWORD Id() const { return id_; }
    bool Running() const { return Started() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
    // Waits at most timeoutMs; true once the program has ended.
    bool Wait(DWORD timeoutMs) const {
        return Started() && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
    }
    // STILL_ACTIVE while it runs, or when it never started.
    DWORD ExitCode() const;
    // Ends it at once if it still runs, as the task manager does, and waits for the end.
    void Terminate();

  private:
    TKernelHandle process_;
    DWORD id_ = 0;
};

// A console program started with a file as its standard input and another as its output, for inputs too
// large for a pipe that is filled before the program runs.
StartedProgram StartFedProgram(const std::string& commandLine, const std::string& inputPath,
                               const std::string& outputPath);

struct ProgramResult {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    // Standard output and standard error together.
    std::string output;
};

// A console program this test started, with its standard input given at the start and its output collected.
// With keepInputOpen, its standard input ends only with CloseInput or Finish, and Write adds to it meanwhile.
class ChildProgram {
  public:
    ChildProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                 bool keepInputOpen = false);

    // Small inputs only: the program may not read them before the pipe's buffer is full.
    bool Write(const std::string& input);
    void CloseInput() { input_.Reset(); }
    // Ends the input, then waits at most timeoutMs for the end; a program still running then is terminated
    // and ended stays false.
    ProgramResult Finish(DWORD timeoutMs);

  private:
    ProgramResult result_;
    StartedProgram program_;
    TKernelHandle input_;
    TKernelHandle output_;
};

ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs);

} // namespace e2e
