#pragma once

#include "dravik/protocol.h"

#include <string>

class TMapList;

// The messages clients send to the viewer's window. Both message parameters
// are ignored and every one of them answers 0.
constexpr unsigned WM_DBG_FIRST = DRAVIK_MSG_PRINT;
constexpr unsigned WM_DBG_PRINT = DRAVIK_MSG_PRINT;
constexpr unsigned WM_DBG_LOADFROMFILE = DRAVIK_MSG_LOADFROMFILE;
constexpr unsigned WM_DBG_SAVETOFILE = DRAVIK_MSG_SAVETOFILE;
constexpr unsigned WM_DBG_SETLOGFILE = DRAVIK_MSG_SETLOGFILE;
constexpr unsigned WM_DBG_CLEAR = DRAVIK_MSG_CLEAR;
constexpr unsigned WM_DBG_LAST = WM_DBG_CLEAR;

// The region key under which the viewer registers the command text region.
extern const char* const CommandRegionKey;
constexpr int CommandRegionSize = DRAVIK_REGION_SIZE;

inline bool IsClientCommand(unsigned message) {
    return message >= WM_DBG_FIRST && message <= WM_DBG_LAST;
}

// What the client commands act on.
class IClientCommandTarget {
  public:
    virtual ~IClientCommandTarget() = default;

    virtual void DoPrint(const std::string& text) = 0;
    virtual void DoLoadFromFile(const std::string& fileName) = 0;
    virtual void DoSaveToFile(const std::string& fileName) = 0;
    virtual void DoSetLogFile(const std::string& fileName) = 0;
    virtual void DoClear() = 0;
    // A print's text has been copied out of the region: its sender need not
    // wait for the pane.
    virtual void ReleaseSender() {}
};

// Carries out one client command. With Debug Output off the command is
// ignored entirely: the region is not even read.
void DispatchClientCommand(unsigned message, bool debugOutput, const TMapList& maps,
                           IClientCommandTarget& target);
