#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "channel/ProcessNames.h"
#include "platform/Win32Handles.h"

// Looks a process up by opening it with the least access right that tells its image and its times
// (PROCESS_QUERY_LIMITED_INFORMATION), once, and keeps it open: while the viewer holds a process, its id
// stays its own, so every later message with that id is the same process's. A process that started after
// a message was taken did not write it: that message gets no name. Processes that have ended are let go a
// while after their end, once the messages they wrote have long been printed. Called on the window's thread,
// never on the capture's reader.
class TWin32ProcessNames : public IProcessNames {
  public:
    const std::string& NameOf(std::uint32_t processId, const TLineTime& taken) override;

  private:
    struct TKnown {
        TKernelHandle Process;
        // Its start, as the system keeps times, in milliseconds.
        std::uint64_t StartedMs = 0;
        std::string Name;
    };
    TKnown* Find(std::uint32_t processId, DWORD now);
    void LetGoOfEnded(DWORD now);

    std::unordered_map<std::uint32_t, TKnown> FKnown;
    // Ids that could not be looked up, with when: looked up again only after a while.
    std::unordered_map<std::uint32_t, DWORD> FRefused;
    DWORD FLastTidy = 0;
    const std::string FNone;
};
