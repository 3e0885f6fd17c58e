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
constexpr unsigned WM_DBG_PRINTUTF8 = DRAVIK_MSG_PRINT_UTF8;
constexpr unsigned WM_DBG_LAST = WM_DBG_PRINTUTF8;

// The region key under which the viewer registers the command text region.
extern const char* const CommandRegionKey;
constexpr int CommandRegionSize = DRAVIK_REGION_SIZE;

inline bool IsClientCommand(unsigned message) {
    return message >= WM_DBG_FIRST && message <= WM_DBG_LAST;
}

// What a client's command message asks for.
enum class TClientCommandKind { None, Print, LoadFromFile, SaveToFile, SetLogFile, Clear, PrintUtf8 };

// A print of either kind: its sender may go on once its text is read.
inline bool IsPrint(TClientCommandKind kind) {
    return kind == TClientCommandKind::Print || kind == TClientCommandKind::PrintUtf8;
}

struct TClientCommand {
    TClientCommandKind Kind = TClientCommandKind::None;
    // The text argument, copied out of the region: once it is read, the
    // sender may reuse the region. In UTF-8 for PrintUtf8, as the client
    // wrote it.
    std::string Text;
};

// Reads one client command: its kind and, for all but CLEAR, its text from
// the region. With Debug Output off a command is ignored entirely (None):
// the region is not even read.
TClientCommand ReadClientCommand(unsigned message, bool debugOutput, const TMapList& maps);
