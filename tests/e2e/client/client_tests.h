#pragma once

#include "harness/check.h"
#include "harness/files.h"
#include "harness/process.h"

#include <cstddef>
#include <string>
#include <vector>

namespace e2e {

// A null-viewer.exe run by the test, which records each command it receives into a file.
class NullViewer {
  public:
    NullViewer() = default;
    NullViewer(const NullViewer&) = delete;
    NullViewer& operator=(const NullViewer&) = delete;
    ~NullViewer() { Close(); }

    // Starts it and waits for its window; false when the window does not appear within a few seconds.
    bool Start(const std::string& recordFile, const std::string& options = std::string());
    // Asks it to close, as a user would, and waits for it to end.
    void Close();
    // Ends it at once, for a viewer that no longer answers.
    void Kill();

    // The commands received so far, one record each: "PRINT text", "CLEAR", "LOADFROMFILE name", ...
    std::vector<std::string> Records() const;
    HWND Window() const { return window_; }

  private:
    StartedProgram process_;
    HWND window_ = nullptr;
    std::string recordFile_;
};

// The folder of this run's files, with a trailing backslash; removed at the end of the run.
const std::string& Scratch();

// Letters cycling from first, so that pieces out of order or shifted show in a comparison.
std::string Pattern(std::size_t length, char first = 'a');

void RunChannelTests();
void RunConcurrencyTests();
void RunSendToolTests();
void RunExampleTests();

// The body of one child process of the concurrency test.
int ChildPrint(int child, int threads, int lines);
// The decoy of the handle test: takes over the handle of the ended viewer's window, and answers with the
// number of commands that reached its windows.
int ChildDecoy(UINT_PTR target);

} // namespace e2e
