#pragma once

#include <windows.h>

#include "shell/DebugForm.h"
#include "shell/Switches.h"

// Command identifiers of the toolbar's controls and the popup menu's items.
enum TCommandId : WORD {
    NoCommand = 0,
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
    mnuCapture,
};

enum class TControlKind { None, ImageButton, CheckBox };

// A command's control on the toolbar, positioned in pixels at 96 dots per
// inch. Slot is its place in the toolbar's tab order.
struct TToolbarControl {
    TControlKind Kind;
    int Slot;
    TCommandId Id;
    const char* Caption;
    int X, Y, Width, Height;
    int Bitmap;      // resource id of an image button's picture
    TCheckBoxId Box; // the switch a check box holds
};

// One of the user's commands: its popup menu item (a null caption is a
// separator), the item's shortcut, its toolbar control if it has one, and
// the form's handler. A check box's click is the form's CheckBoxClicked for
// its switch; the menu item runs Handler.
struct TCommand {
    TCommandId MenuId;
    const char* MenuCaption;
    const char* Shortcut;
    BYTE ShortcutModifiers; // FCONTROL, ...
    WORD ShortcutKey;       // virtual key, 0 for none
    TToolbarControl Toolbar;
    void (TfrmDebug::*Handler)();
    // The item's check mark and enabled state, as the menu's opening refreshes them.
    bool TPopupMenuState::*Checked;
    bool TPopupMenuState::*Enabled;
};

struct TCommandRange {
    const TCommand* First;
    const TCommand* Last;
    const TCommand* begin() const { return First; }
    const TCommand* end() const { return Last; }
};
// Every command, in the popup menu's order.
TCommandRange AllCommands();
const int ToolbarControlCount = 9;

// The command of a menu item or toolbar control, or null.
const TCommand* FindCommand(WORD id);
// The command whose toolbar control sits in the slot.
const TCommand& ToolbarCommand(int slot);
const TCommand& CheckBoxCommand(TCheckBoxId box);
