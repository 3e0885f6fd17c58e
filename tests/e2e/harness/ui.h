#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Working the viewer's window the way a user does: its toolbar controls, its popup menu, its file dialogs,
// About box and message boxes, the clipboard and the keyboard.
namespace e2e {

// Command ids: a popup menu item and its toolbar control carry the same.
enum ToolbarId : int {
    kPbClear = 101,
    kPbOpen = 106,
    kPbSave = 107,
    kPbMark = 108,
    kCbFloat = 109,
    kCbToolbar = 110,
    kCbDebugOutput = 111,
    kCbLogConnect = 112,
    kPbInfo = 114,
};
enum MenuId : int {
    kMnuClear = kPbClear,
    kMnuCut = 102,
    kMnuCopy = 103,
    kMnuPaste = 104,
    kMnuSelectAll = 105,
    kMnuImport = kPbOpen,
    kMnuExport = kPbSave,
    kMnuMark = kPbMark,
    kMnuFloat = kCbFloat,
    kMnuToolbar = kCbToolbar,
    kMnuDebugOutput = kCbDebugOutput,
    kMnuLogConnect = kCbLogConnect,
    kMnuCapture = 113,
    kMnuInfo = kPbInfo,
    kMnuHistory = 115,
    kMnuNetwork = 116,
};
// The Network dialog's controls.
enum NetworkControl : int {
    kReceive = 2601,
    kReceivePort = 2602,
    kForward = 2603,
    kHost = 2604,
    kForwardPort = 2605,
    kUdp = 2606,
    kTcp = 2607,
};

bool WindowIsTopmost(HWND window);

HWND FindToolbar(HWND viewer);
HWND ToolbarControl(HWND viewer, int id);
bool IsBoxChecked(HWND viewer, int id);
// BM_CLICK, answered once the viewer has handled the click. Not for commands that open a modal window.
bool ClickControl(HWND viewer, int id);
// BM_CLICK without waiting, for the controls that open a dialog.
bool PostClick(HWND viewer, int id);
// A menu item's command as the menu sends it; waits for the answer.
bool ChooseCommand(HWND viewer, int id);
bool PostCommand(HWND viewer, int id);

// Waits until the viewer has handled everything sent before (a message round trip).
bool Settle(HWND viewer);
// Waits until the viewer has also handled the messages posted to it so far, such as a menu's WM_COMMAND:
// sent messages overtake posted ones, so Settle alone does not wait for those.
bool SettlePosted(HWND viewer);

// The popup menu, opened as a right click into the pane opens it.
HWND OpenPopupMenu(HWND viewer, DWORD processId);
// Types an accelerator letter into the open menu, which chooses that item and closes the menu.
bool ChooseMenuLetter(HWND menu, char letter);
bool CloseMenu(HWND menu);

// What the open menu shows, read from its pixels on the screen: another process cannot read a menu's items.
struct MenuItemLook {
    bool enabled = false; // drawn in the menu's text colour rather than greyed
    bool checked = false; // a mark left of the caption
};
// The items in order, separators left out; empty when itemCount items could not be seen.
std::vector<MenuItemLook> ReadMenuLook(HWND menu, std::size_t itemCount, std::string& why);
// The popup menu's items, separators left out.
const std::size_t kMenuItemCount = 16;
// Opens the popup menu, reads what it shows and closes it again without choosing anything. False after a
// failed check.
bool LookAtMenu(HWND viewer, DWORD processId, std::vector<MenuItemLook>& items);
// Opens the popup menu, moves down through its items `downs` times and types the letter (Enter: '\r'). False
// when it did not open or close.
bool ChooseFromMenu(HWND viewer, DWORD processId, char letter, int downs = 0);

// Presses a key in the open menu (VK_DOWN, VK_RETURN, ...).
bool PressInMenu(HWND menu, WORD virtualKey);

// The window's pixels as the screen shows them, row by row; empty when they cannot be read.
std::vector<COLORREF> WindowPixels(HWND window, int& width, int& height);
// The client area's pixels. A window of this process is read from its own device context, where what was just
// drawn already is; another process's window, whose device context gives no access, from the screen.
std::vector<COLORREF> ClientPixels(HWND window, int& width, int& height);

// A dialog window ("#32770") of the process with the given title, visible.
HWND FindDialog(DWORD processId, const std::string& title);
HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs = 10000);
// The file name field of an open or save dialog.
HWND FileNameField(HWND dialog);
std::string ReadFileNameField(HWND dialog);
// Types the name into the field and presses OK; waits until the dialog has gone.
bool ConfirmFileDialog(HWND dialog, const std::string& fileName);
bool CancelDialog(HWND dialog);
// The texts of every Static child, in order.
std::vector<std::string> StaticTexts(HWND dialog);

// The clipboard, as text.
bool PutOnClipboard(const std::string& text);
bool ReadClipboard(std::string& text);
bool EmptyTheClipboard();
// Waits for text that another program puts on the clipboard after `before` (a GetClipboardSequenceNumber).
// The clipboard is opened only once its number has moved: holding it open while the other program copies,
// even briefly, makes that copy fail.
bool WaitForClipboardText(DWORD before, std::string& text, DWORD timeoutMs);

// Brings the viewer to the foreground and gives the keyboard focus to one of its windows.
bool FocusWindow(HWND viewer, HWND target);
HWND FocusOf(HWND viewer);
// Presses a key with modifiers (VK_CONTROL, VK_MENU) held, through the system's input queue.
bool PressKeys(const std::vector<WORD>& modifiers, WORD key);

// A right click of the mouse at a point of the screen.
bool RightClickAt(POINT point);
// The open popup menu of the process, or nullptr.
HWND FindOpenMenu(DWORD processId);

// The pane's selection (start, end).
bool PaneSelection(HWND viewer, DWORD& start, DWORD& end);
bool SelectInPane(HWND viewer, int start, int end);

// Polls the pane until it shows the text; the viewer may bring its control in step a moment later.
bool WaitForPane(HWND viewer, const std::string& expected, DWORD timeoutMs = 3000);

// A message box ("#32770" dialog) shown by the given process, or nullptr.
HWND FindMessageBox(DWORD processId);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);
std::string BoxCaption(HWND box);
// The text of the box's message, the static control 0xFFFF.
std::string BoxText(HWND box);
// Whether the box shows the system's icon, judged by its pixels on the screen: another process's icon handle
// cannot be inspected.
bool BoxShowsIcon(HWND box, LPCSTR systemIcon);
// Posts IDOK and waits for the box to go away.
bool DismissBox(HWND box, DWORD timeoutMs = 5000);

// What a message box showed, read before it was dismissed.
struct ShownBox {
    bool shown = false;
    std::string caption;
    std::string text;
    bool stopIcon = false;
    bool dismissed = false;
};
// Reads the box and dismisses it; nothing was shown when there is no box.
ShownBox TakeBox(HWND box);
// The box the process shows within timeoutMs, taken.
ShownBox TakeBox(DWORD processId, DWORD timeoutMs = 15000);
// Checks that the box was the general error display (caption "Korvane Dravik", the stop icon) with the text,
// and went away; false when there was no box or it stayed.
bool CheckErrorBox(const ShownBox& box, const std::string& text, const std::string& what);
// The same with a file error's text: prefix, a name that names path, a period. The name may differ from path
// in letter case, as the viewer's own folder may be spelt differently.
bool CheckFileErrorBox(const ShownBox& box, const std::string& prefix, const std::string& path,
                       const std::string& what);

struct BoxedAnswer {
    bool answered = false;
    LRESULT result = 0;
    std::vector<ShownBox> boxes;
};
// Sends a message that the viewer may answer only after showing a modal box (a plain SendMessage would wait
// for a box nobody dismisses). Every box the viewer's process shows meanwhile is taken.
BoxedAnswer SendDismissingBoxes(DWORD processId, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                DWORD timeoutMs = 15000);
// Checks that a command was answered with 0 after exactly one box, the general error display with the file
// error prefix + path + ".".
void CheckOneErrorBox(const BoxedAnswer& answer, const std::string& prefix, const std::string& path,
                      const std::string& what);

} // namespace e2e
