#pragma once

#include <windows.h>

#include "shell/DebugForm.h"
#include "shell/Switches.h"

// One identifier per command: its popup menu item and its toolbar control,
// if it has one, carry the same.
enum TCommandId : WORD {
    NoCommand = 0,
    cmdClear = 101,
    cmdCut,
    cmdCopy,
    cmdPaste,
    cmdSelectAll,
    cmdImport,
    cmdExport,
    cmdMark,
    cmdFloat,
    cmdToolbar,
    cmdDebugOutput,
    cmdLogConnect,
    cmdCapture,
    cmdInfo,
    // Ids once given keep their values: a command added later takes the next one.
    cmdHistory,
    cmdNetwork,
};

enum class TControlKind { None, ImageButton, CheckBox };

// A command's control on the toolbar, positioned in pixels at 96 dots per
// inch. Slot is its place in the toolbar's tab order.
struct TToolbarControl {
    TControlKind Kind;
    int Slot;
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
    TCommandId Id;
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
// The command whose toolbar control has the key (a virtual key) as its accelerator letter, or null.
const TCommand* FindToolbarMnemonic(WORD key);
// The command whose toolbar control sits in the slot.
const TCommand& ToolbarCommand(int slot);
const TCommand& CheckBoxCommand(TCheckBoxId box);
