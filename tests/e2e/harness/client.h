#pragma once

#include "dravik/protocol.h"
#include "platform/Win32Handles.h"

#include <string>

// The client side of the channel, written the way a program being debugged would talk to the viewer:
// text at offset 1 of the shared region "DravikFileMap", a zero byte after it, then one command message.
namespace e2e {

enum Command : UINT {
    kPrint = DRAVIK_MSG_PRINT,
    kLoadFromFile = DRAVIK_MSG_LOADFROMFILE,
    kSaveToFile = DRAVIK_MSG_SAVETOFILE,
    kSetLogFile = DRAVIK_MSG_SETLOGFILE,
    kClear = DRAVIK_MSG_CLEAR,
};

extern const char* const kRegionName;
const std::size_t kRegionSize = DRAVIK_REGION_SIZE;
const std::size_t kLongestText = kRegionSize - 2;

// One mapped view of the shared region.
class Region {
  public:
    // Opens the region the viewer created.
    static Region Open();
    // Creates the region (or opens it if it exists), as a client started before the viewer does.
    static Region Create(DWORD size);

    bool Valid() const { return view_.Valid(); }
    DWORD LastError() const { return error_; }
    // The bytes this process can reach through its view: the region rounded up to whole pages.
    std::size_t ViewSize() const;
    // Writes raw bytes; refuses to write past the view.
    bool Write(std::size_t offset, const std::string& bytes);
    // The layout of a command's argument: text from offset 1, then a zero byte.
    bool WriteText(const std::string& text);

  private:
    Region() = default;
    // Maps a view of the mapping just opened or created, or keeps the error of that or of the mapping.
    static Region Mapped(HANDLE mapping);
    TKernelHandle mapping_;
    TMappedView view_;
    DWORD error_ = 0;
};

struct CommandResult {
    bool ok = false;
    std::string why;
};

// Fills the region with text and sends the command; ok when the region could be written and the viewer
// answered 0 within the time limit.
CommandResult SendCommand(HWND viewer, Command command, const std::string& text, DWORD timeoutMs = 10000);
// Sends the command on whatever the region holds now.
CommandResult SendOnRegion(HWND viewer, Command command, DWORD timeoutMs = 10000);
// Writes raw bytes at offset 0 of the region instead, for the layouts a careless client may leave.
CommandResult SendRawCommand(HWND viewer, Command command, const std::string& regionBytes);
CommandResult Print(HWND viewer, const std::string& text);
CommandResult Clear(HWND viewer);
// Only fills the region with text, for a command sent some other way (see SendDismissingBoxes).
CommandResult WriteArgument(const std::string& text);

// A print through a view kept open, as a client printing in a loop makes it; true when the viewer answered 0.
bool PrintThrough(Region& region, HWND viewer, const std::string& text);

bool CheckSent(const CommandResult& result, const char* file, int line, const char* call);

} // namespace e2e

#define CHECK_SENT(call) ::e2e::CheckSent((call), __FILE__, __LINE__, #call)
