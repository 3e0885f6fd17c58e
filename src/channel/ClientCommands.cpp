#include "channel/ClientCommands.h"

#include "channel/MapList.h"

const char* const CommandRegionKey = DRAVIK_REGION_KEY;

TClientCommand ReadClientCommand(unsigned message, bool debugOutput, const TMapList& maps) {
    TClientCommand command;
    if (!debugOutput || !IsClientCommand(message))
        return command;
    switch (message) {
    case WM_DBG_PRINT:
        command.Kind = TClientCommandKind::Print;
        break;
    case WM_DBG_LOADFROMFILE:
        command.Kind = TClientCommandKind::LoadFromFile;
        break;
    case WM_DBG_SAVETOFILE:
        command.Kind = TClientCommandKind::SaveToFile;
        break;
    case WM_DBG_SETLOGFILE:
        command.Kind = TClientCommandKind::SetLogFile;
        break;
    case WM_DBG_PRINTUTF8:
        command.Kind = TClientCommandKind::PrintUtf8;
        break;
    default:
        command.Kind = TClientCommandKind::Clear;
        return command;
    }
    maps.ReadMap(CommandRegionKey, command.Text);
    return command;
}
