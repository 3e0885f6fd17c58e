#include "channel/ClientCommands.h"

#include "channel/MapList.h"

const char* const CommandRegionKey = DRAVIK_REGION_KEY;

void DispatchClientCommand(unsigned message, bool debugOutput, const TMapList& maps,
                           IClientCommandTarget& target) {
    if (!debugOutput || !IsClientCommand(message))
        return;
    if (message == WM_DBG_CLEAR) {
        target.DoClear();
        return;
    }
    std::string text;
    maps.ReadMap(CommandRegionKey, text);
    switch (message) {
    case WM_DBG_PRINT:
        target.ReleaseSender();
        target.DoPrint(text);
        break;
    case WM_DBG_LOADFROMFILE:
        target.DoLoadFromFile(text);
        break;
    case WM_DBG_SAVETOFILE:
        target.DoSaveToFile(text);
        break;
    case WM_DBG_SETLOGFILE:
        target.DoSetLogFile(text);
        break;
    }
}
