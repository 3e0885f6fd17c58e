#pragma once

#include <windows.h>

#include "shell/Switches.h"

// Command identifiers of the toolbar's controls and the popup menu's items.
enum TCommandId : WORD {
    pbClear = 101,
    pbOpen,
    pbSave,
    pbMark,
    pbInfo,
    cbFloat = 111,
    cbToolbar,
    cbDebugOutput,
    cbLogConnect,

    mnuClear = 201,
    mnuCut,
    mnuCopy,
    mnuPaste,
    mnuSelectAll,
    mnuImport,
    mnuExport,
    mnuMark,
    mnuFloat,
    mnuToolbar,
    mnuDebugOutput,
    mnuLogConnect,
    mnuInfo,
};

enum class TControlKind { ImageButton, CheckBox };

// One control of the toolbar, positioned in pixels at 96 dots per inch.
struct TToolbarControl {
    TCommandId Id;
    TControlKind Kind;
    const char* Caption;
    int X, Y, Width, Height;
    int Bitmap; // resource id of an image button's picture
};

extern const TToolbarControl ToolbarControls[];
extern const int ToolbarControlCount;

// One item of the popup menu; a null caption is a separator.
struct TMenuItem {
    TCommandId Id;
    const char* Caption;
    const char* Shortcut;
    BYTE ShortcutModifiers; // FCONTROL, ...
    WORD ShortcutKey;       // virtual key, 0 for none
};

extern const TMenuItem PopupMenuItems[];
extern const int PopupMenuItemCount;

TCheckBoxId CheckBoxOf(TCommandId id);
