#include "platform/Commands.h"

#include "resource.h"

const TToolbarControl ToolbarControls[] = {
    {pbClear, TControlKind::ImageButton, "&Clear", 2, 3, 47, 49, IDB_CLEAR},
    {pbOpen, TControlKind::ImageButton, "&Import", 52, 3, 47, 49, IDB_IMPORT},
    {pbSave, TControlKind::ImageButton, "&Export", 102, 3, 47, 49, IDB_EXPORT},
    {pbMark, TControlKind::ImageButton, "&Mark", 153, 3, 47, 49, IDB_MARK},
    {pbInfo, TControlKind::ImageButton, "I&nfo", 203, 3, 47, 49, IDB_INFO},
    {cbFloat, TControlKind::CheckBox, "&Stay on Top", 257, 8, 80, 17, 0},
    {cbToolbar, TControlKind::CheckBox, "Show &Toolbar", 257, 32, 87, 17, 0},
    {cbDebugOutput, TControlKind::CheckBox, "&Debug Output", 354, 8, 88, 17, 0},
    {cbLogConnect, TControlKind::CheckBox, "&Log Client Connections", 354, 32, 137, 17, 0},
};
const int ToolbarControlCount = sizeof ToolbarControls / sizeof ToolbarControls[0];

const TMenuItem PopupMenuItems[] = {
    {mnuClear, "&Clear", "Ctrl+Del", FCONTROL, VK_DELETE},
    {TCommandId(0), nullptr, nullptr, 0, 0}, // N1
    {mnuCut, "C&ut", "Ctrl+X", FCONTROL, 'X'},
    {mnuCopy, "C&opy", "Ctrl+C", FCONTROL, 'C'},
    {mnuPaste, "P&aste", "Ctrl+V", FCONTROL, 'V'},
    {mnuSelectAll, "&Select All", "Ctrl+A", FCONTROL, 'A'},
    {TCommandId(0), nullptr, nullptr, 0, 0}, // N4
    {mnuImport, "&Import", nullptr, 0, 0},
    {mnuExport, "&Export", nullptr, 0, 0},
    {TCommandId(0), nullptr, nullptr, 0, 0}, // N2
    {mnuMark, "&Mark", nullptr, 0, 0},
    {mnuFloat, "&Stay on Top", nullptr, 0, 0},
    {mnuToolbar, "&Toolbar", nullptr, 0, 0},
    {mnuDebugOutput, "&Debug Output", nullptr, 0, 0},
    {mnuLogConnect, "&Log Client Connections", nullptr, 0, 0},
    {TCommandId(0), nullptr, nullptr, 0, 0}, // N3
    {mnuInfo, "I&nfo", nullptr, 0, 0},
};
const int PopupMenuItemCount = sizeof PopupMenuItems / sizeof PopupMenuItems[0];

TCheckBoxId CheckBoxOf(TCommandId id) {
    switch (id) {
    case cbToolbar:
        return TCheckBoxId::cbToolbar;
    case cbDebugOutput:
        return TCheckBoxId::cbDebugOutput;
    case cbLogConnect:
        return TCheckBoxId::cbLogConnect;
    default:
        return TCheckBoxId::cbFloat;
    }
}
