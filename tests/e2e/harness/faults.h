#pragma once

#include "platform/Win32Handles.h"

#include <string>
#include <vector>

// Helpers for the fault and load tests: figures and findings for scripts/reliability.sh, clients that run
// in processes or threads of their own, and checks on what a failed operation left on disk.
namespace e2e {

// "FIGURE name value": a number scripts/reliability.sh collects into docs/reliability.md.
void Figure(const std::string& name, long long value);
// "RESULT case: outcome": what the viewer did in one fault case, collected the same way.
void Result(const std::string& caseName, const std::string& outcome);

// Upper-cases only a to z, as the viewer does for the name in its "Cannot set LogFile" line.
std::string UpperAsciiLetters(std::string text);
// The viewer's error line for a name that fails the write probe, with its line break.
std::string SetLogFileErrorLine(const std::string& name);

// Names in folder matching pattern (for example "*.tmp"), without the folder.
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern);

// Whether this system refuses to open a file marked FILE_ATTRIBUTE_READONLY for writing. Windows does; Wine
// run as root does not, as root may write any Unix file.
bool ReadOnlyIsEnforced(const std::string& folder);

// The clients' own mutex ("DravikClientMutex"), which every client takes around filling the region and
// sending, so that this test's commands never overwrite another client's text.
class ClientTurn {
  public:
    ClientTurn();
    bool Valid() const { return mutex_.Valid(); }
    // Takes the turn; false on a timeout.
    bool Take(DWORD timeoutMs);
    void Give();

  private:
    TKernelHandle mutex_;
};

} // namespace e2e
