// The pane's popup menu and its shortcuts as a user works them: what the menu shows when it opens, items
// chosen by their accelerator letters, the clipboard, and the keys pressed in the pane.
#include "harness/fixture.h"
#include "harness/ui.h"

#include <cstdio>

using namespace e2e;

namespace {

// The menu's items in order, separators left out.
enum Item {
    kClear,
    kCut,
    kCopy,
    kPaste,
    kSelectAll,
    kImport,
    kExport,
    kMark,
    kFloat,
    kToolbar,
    kDebugOutput,
    kLogConnect,
    kCapture,
    kInfo,
};
const char* const kItemNames[] = {"Clear",
                                  "Cut",
                                  "Copy",
                                  "Paste",
                                  "Select All",
                                  "Import",
                                  "Export",
                                  "Mark",
                                  "Stay on Top",
                                  "Toolbar",
                                  "Debug Output",
                                  "Log Client Connections",
                                  "Capture Windows Output",
                                  "Info"};

bool StartWithText(ViewerRun& run, const std::string& line) {
    return StartFirstRun(run) && CHECK_SENT(Print(run.Window(), line)) &&
           CHECK(WaitForPane(run.Window(), line + "\r\n"));
}

bool LookAtMenu(ViewerRun& run, std::vector<MenuItemLook>& items) {
    return e2e::LookAtMenu(run.Window(), run.ProcessId(), items);
}

void CheckLook(const std::vector<MenuItemLook>& items, Item item, bool enabled, bool checked) {
    const std::string name = kItemNames[item];
    CHECK_MSG(items[item].enabled == enabled, name + (enabled ? " greyed" : " enabled"));
    CHECK_MSG(items[item].checked == checked, name + (checked ? " without" : " with") + " a check mark");
}

bool ChooseFromMenu(ViewerRun& run, char letter) {
    return e2e::ChooseFromMenu(run.Window(), run.ProcessId(), letter);
}

// --- What the menu shows ----------------------------------------------------------------------------------

void CheckMarksFollowTheSwitches() {
    ViewerRun run;
    if (!StartWithText(run, "some text"))
        return;
    const HWND viewer = run.Window();
    CHECK(EmptyTheClipboard());
    CHECK(SelectInPane(viewer, -1, 0));
    std::vector<MenuItemLook> items;
    if (!LookAtMenu(run, items))
        return;
    // A first run: every switch on but Log Client Connections; nothing selected, nothing to paste.
    CheckLook(items, kClear, true, false);
    CheckLook(items, kCut, false, false);
    CheckLook(items, kCopy, false, false);
    CheckLook(items, kPaste, false, false);
    CheckLook(items, kSelectAll, true, false);
    CheckLook(items, kImport, true, false);
    CheckLook(items, kMark, true, false);
    CheckLook(items, kFloat, true, true);
    CheckLook(items, kToolbar, true, true);
    CheckLook(items, kDebugOutput, true, true);
    CheckLook(items, kLogConnect, true, false);
    CheckLook(items, kCapture, true, false);
    CheckLook(items, kInfo, true, false);

    // Every box flipped on the toolbar shows in the menu the next time it opens.
    CHECK(ClickControl(viewer, kCbFloat));
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(ClickControl(viewer, kCbLogConnect));
    CHECK(SelectInPane(viewer, 0, 4));
    CHECK(PutOnClipboard("to paste"));
    if (!LookAtMenu(run, items))
        return;
    CheckLook(items, kCut, true, false);
    CheckLook(items, kCopy, true, false);
    CheckLook(items, kPaste, true, false);
    CheckLook(items, kFloat, true, false);
    CheckLook(items, kToolbar, true, true);
    CheckLook(items, kDebugOutput, true, false);
    CheckLook(items, kLogConnect, true, true);

    // The toolbar hidden from its own box: the menu's item is unchecked.
    CHECK(ClickControl(viewer, kCbToolbar));
    if (!LookAtMenu(run, items))
        return;
    CheckLook(items, kToolbar, true, false);
    // Log Client Connections switched off again on the toolbar: the item follows.
    CHECK(ClickControl(viewer, kCbLogConnect));
    if (!LookAtMenu(run, items))
        return;
    CheckLook(items, kLogConnect, true, false);
    CHECK(run.Close());
}

// Opens the menu and chooses the item at the position (1 for the first), counting no separators.
bool ChooseByPosition(ViewerRun& run, int position) {
    const HWND menu = OpenPopupMenu(run.Window(), run.ProcessId());
    if (!CHECK_MSG(menu != nullptr, "the popup menu did not open"))
        return false;
    for (int i = 0; i < position; ++i)
        PressInMenu(menu, VK_DOWN);
    PostMessageA(menu, WM_CHAR, '\r', 0);
    if (!WaitFor([menu] { return !IsWindow(menu) || !IsWindowVisible(menu); }, 5000)) {
        CloseMenu(menu);
        return CHECK_MSG(false, "the menu stayed open after Enter");
    }
    return SettlePosted(run.Window());
}

void ItemsInTheTablesOrder() {
    ViewerRun run;
    if (!StartWithText(run, "order"))
        return;
    const HWND viewer = run.Window();
    std::printf("  Select All\n");
    CHECK(ChooseByPosition(run, kSelectAll + 1));
    DWORD start = 1, end = 0;
    CHECK(PaneSelection(viewer, start, end));
    CHECK(start == 0 && end == 7);
    std::printf("  Mark\n");
    CHECK(ChooseByPosition(run, kMark + 1));
    CHECK_MSG(PaneText(viewer).find("order\r\n*** (MARKED AT ") == 0, PaneText(viewer));
    std::printf("  Stay on Top\n");
    CHECK(ChooseByPosition(run, kFloat + 1));
    CHECK(!WindowIsTopmost(viewer));
    std::printf("  Toolbar\n");
    CHECK(ChooseByPosition(run, kToolbar + 1));
    CHECK(!IsWindowVisible(FindToolbar(viewer)));
    std::printf("  Debug Output\n");
    CHECK(ChooseByPosition(run, kDebugOutput + 1));
    CHECK(!IsBoxChecked(viewer, kCbDebugOutput));
    std::printf("  Log Client Connections\n");
    CHECK(ChooseByPosition(run, kLogConnect + 1));
    CHECK(IsBoxChecked(viewer, kCbLogConnect));
    std::printf("  Capture Windows Output\n");
    CHECK(ChooseByPosition(run, kCapture + 1));
    CHECK_EQ(SettingOrAbsent("CaptureWindowsOutput"), "1");
    const struct {
        Item item;
        const char* title;
    } dialogs[] = {{kImport, "Open"}, {kExport, "Save"}, {kInfo, "About Korvane Dravik"}};
    for (const auto& d : dialogs) {
        std::printf("  %s\n", kItemNames[d.item]);
        CHECK(ChooseByPosition(run, d.item + 1));
        const HWND dialog = WaitForDialog(run.ProcessId(), d.title, 5000);
        if (CHECK_MSG(dialog != nullptr, std::string("no dialog ") + d.title))
            CHECK(CancelDialog(dialog));
    }
    std::printf("  Clear\n");
    CHECK(ChooseByPosition(run, kClear + 1));
    CHECK_EQ(PaneText(viewer), "");
    CHECK(run.Close());
}

// --- Items chosen by their letters ------------------------------------------------------------------------

void CutAndCopyNeedASelection() {
    ViewerRun run;
    if (!StartWithText(run, "alpha beta"))
        return;
    const HWND viewer = run.Window();
    CHECK(PutOnClipboard("untouched"));
    CHECK(SelectInPane(viewer, -1, 0));
    CHECK(ChooseFromMenu(run, 'u'));
    CHECK(ChooseFromMenu(run, 'o'));
    std::string clip;
    CHECK(ReadClipboard(clip));
    CHECK_EQ(clip, "untouched");
    CHECK_EQ(PaneText(viewer), "alpha beta\r\n");

    // With a selection both act.
    CHECK(SelectInPane(viewer, 0, 5));
    CHECK(ChooseFromMenu(run, 'o'));
    CHECK(ReadClipboard(clip));
    CHECK_EQ(clip, "alpha");
    CHECK_EQ(PaneText(viewer), "alpha beta\r\n");
    CHECK(SelectInPane(viewer, 6, 10));
    CHECK(ChooseFromMenu(run, 'u'));
    CHECK(ReadClipboard(clip));
    CHECK_EQ(clip, "beta");
    CHECK_EQ(PaneText(viewer), "alpha \r\n");
    CHECK(run.Close());
}

void PasteAndSelectAll() {
    ViewerRun run;
    if (!StartWithText(run, "first"))
        return;
    const HWND viewer = run.Window();
    // Paste replaces the selection with the clipboard's text.
    CHECK(PutOnClipboard("PASTED"));
    CHECK(SelectInPane(viewer, 1, 4));
    CHECK(ChooseFromMenu(run, 'a'));
    CHECK_EQ(PaneText(viewer), "fPASTEDt\r\n");

    // Select All then Copy: the whole pane, line breaks included.
    CHECK_SENT(Print(viewer, "second"));
    CHECK(SelectInPane(viewer, 0, 0));
    CHECK(ChooseFromMenu(run, 's'));
    DWORD start = 1, end = 0;
    CHECK(PaneSelection(viewer, start, end));
    CHECK_EQ(start, 0UL);
    CHECK_EQ(end, static_cast<unsigned long>(PaneText(viewer).size()));
    CHECK(ChooseFromMenu(run, 'o'));
    std::string clip;
    CHECK(ReadClipboard(clip));
    CHECK_EQ(clip, "fPASTEDt\r\nsecond\r\n");

    // With nothing on the clipboard, choosing Paste changes nothing.
    CHECK(EmptyTheClipboard());
    CHECK(SelectInPane(viewer, 0, 1));
    CHECK(ChooseFromMenu(run, 'a'));
    CHECK_EQ(PaneText(viewer), "fPASTEDt\r\nsecond\r\n");
    CHECK(run.Close());
}

void SwitchesFromTheOpenMenu() {
    ViewerRun run;
    if (!StartWithText(run, "x"))
        return;
    const HWND viewer = run.Window();
    // Debug Output: the item inverts its check mark and sets the box to it.
    CHECK(ChooseFromMenu(run, 'd'));
    CHECK(!IsBoxChecked(viewer, kCbDebugOutput));
    CHECK_SENT(Print(viewer, "ignored"));
    CHECK_EQ(PaneText(viewer), "x\r\n");
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(ChooseFromMenu(run, 'd'));
    CHECK(IsBoxChecked(viewer, kCbDebugOutput));

    CHECK(ChooseFromMenu(run, 'l'));
    CHECK(IsBoxChecked(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");

    // The toolbar hidden through its box, brought back through the menu with the box checked.
    CHECK(ClickControl(viewer, kCbToolbar));
    CHECK(!IsWindowVisible(FindToolbar(viewer)));
    CHECK(ChooseFromMenu(run, 't'));
    CHECK(IsWindowVisible(FindToolbar(viewer)));
    CHECK(IsBoxChecked(viewer, kCbToolbar));

    CHECK(ChooseFromMenu(run, 'm'));
    CHECK_MSG(PaneText(viewer).find("x\r\n*** (MARKED AT ") == 0, PaneText(viewer));
    CHECK(ChooseFromMenu(run, 'c'));
    CHECK_EQ(PaneText(viewer), "");
    CHECK(run.Close());
}

// --- Keys in the pane -------------------------------------------------------------------------------------

void ShortcutsActOnlyInThePane() {
    ViewerRun run;
    if (!StartWithText(run, "keyboard"))
        return;
    const HWND viewer = run.Window();
    const HWND pane = FindPane(viewer);
    if (!CHECK_MSG(FocusWindow(viewer, pane), "cannot give the pane the keyboard focus"))
        return;

    // Ctrl+A, Ctrl+C: the whole pane on the clipboard.
    CHECK(EmptyTheClipboard());
    const DWORD emptied = GetClipboardSequenceNumber();
    CHECK(PressKeys({VK_CONTROL}, 'A'));
    CHECK(Settle(viewer));
    CHECK(PressKeys({VK_CONTROL}, 'C'));
    std::string clip;
    CHECK(WaitForClipboardText(emptied, clip, 3000));
    CHECK_EQ(clip, "keyboard\r\n");

    // Ctrl+X, Ctrl+V on a part of it.
    CHECK(SelectInPane(viewer, 0, 3));
    CHECK(PressKeys({VK_CONTROL}, 'X'));
    CHECK(WaitForPane(viewer, "board\r\n"));
    CHECK(SelectInPane(viewer, 5, 5));
    CHECK(PressKeys({VK_CONTROL}, 'V'));
    CHECK(WaitForPane(viewer, "boardkey\r\n"));
    // Tab goes into the text rather than to the next control.
    CHECK(SelectInPane(viewer, 0, 0));
    CHECK(PressKeys({}, VK_TAB));
    CHECK(WaitForPane(viewer, "\tboardkey\r\n"));
    CHECK(FocusOf(viewer) == pane);

    // Ctrl+Del with a toolbar control focused: nothing happens.
    const HWND box = ToolbarControl(viewer, kCbDebugOutput);
    if (CHECK_MSG(FocusWindow(viewer, box), "cannot focus the check box")) {
        CHECK(PressKeys({VK_CONTROL}, VK_DELETE));
        // Keys are handled in the order pressed: once Alt+M has marked, Ctrl+Del has had its turn.
        CHECK(PressKeys({VK_MENU}, 'M'));
        CHECK(WaitFor([&] { return PaneText(viewer).find("*** (MARKED AT ") != std::string::npos; }, 3000));
        CHECK_MSG(PaneText(viewer).find("\tboardkey\r\n*** (MARKED AT ") == 0, PaneText(viewer));
        CHECK(IsBoxChecked(viewer, kCbDebugOutput));
    }
    // Ctrl+Del in the pane, menu closed: the pane is cleared.
    if (CHECK(FocusWindow(viewer, pane))) {
        CHECK(SelectInPane(viewer, 2, 2));
        CHECK(PressKeys({VK_CONTROL}, VK_DELETE));
        CHECK(WaitForPane(viewer, ""));
        CHECK(FindWindowA("#32768", nullptr) == nullptr || !IsWindowVisible(FindWindowA("#32768", nullptr)));
    }
    CHECK(run.Close());
}

void MenuOpensFromMouseAndKeyboard() {
    ViewerRun run;
    if (!StartWithText(run, "context"))
        return;
    const HWND viewer = run.Window();
    const HWND pane = FindPane(viewer);
    RECT place = {};
    GetWindowRect(pane, &place);
    CHECK(RightClickAt(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2}));
    HWND menu = nullptr;
    CHECK_MSG(WaitFor([&] { return (menu = FindOpenMenu(run.ProcessId())) != nullptr; }, 5000),
              "a right click into the pane opened no menu");
    RECT popupPlace = {};
    if (menu != nullptr) {
        GetWindowRect(menu, &popupPlace);
        CHECK(CloseMenu(menu));
    }
    // Shift+F10 with the pane focused.
    if (CHECK(FocusWindow(viewer, pane))) {
        CHECK(PressKeys({VK_SHIFT}, VK_F10));
        CHECK_MSG(WaitFor([&] { return (menu = FindOpenMenu(run.ProcessId())) != nullptr; }, 5000),
                  "Shift+F10 in the pane opened no menu");
        if (menu != nullptr)
            CHECK(ChooseMenuLetter(menu, 'm'));
        CHECK(WaitFor([&] { return PaneText(viewer).find("context\r\n*** (MARKED AT ") == 0; }, 3000));
    }
    // A right click on the toolbar opens none.
    GetWindowRect(FindToolbar(viewer), &place);
    CHECK(RightClickAt(POINT{place.right - 20, place.top + 10}));
    CHECK(SettlePosted(viewer));
    // Now and then Wine lets the F10 of Shift+F10 open the window's system menu a moment later; only a menu
    // of the popup menu's size is the viewer's own.
    HWND opened = nullptr;
    WaitFor([&] { return (opened = FindOpenMenu(run.ProcessId())) != nullptr; }, 500);
    if (opened != nullptr) {
        RECT place = {};
        GetWindowRect(opened, &place);
        const bool popup = place.right - place.left == popupPlace.right - popupPlace.left &&
                           place.bottom - place.top == popupPlace.bottom - popupPlace.top;
        CHECK_MSG(!popup, "a right click on the toolbar opened the popup menu");
        if (!popup)
            std::printf("note: a menu of %ld x %ld opened meanwhile, not the popup menu\n",
                        place.right - place.left, place.bottom - place.top);
        CloseMenu(opened);
    }
    CHECK(run.Close());
}

void AltLettersClickTheToolbar() {
    ViewerRun run;
    if (!StartWithText(run, "alt"))
        return;
    const HWND viewer = run.Window();
    if (!CHECK(FocusWindow(viewer, FindPane(viewer))))
        return;
    CHECK(PressKeys({VK_MENU}, 'M'));
    CHECK(WaitFor([&] { return PaneText(viewer).find("alt\r\n*** (MARKED AT ") == 0; }, 3000));
    CHECK(PressKeys({VK_MENU}, 'L'));
    CHECK(WaitFor([&] { return IsBoxChecked(viewer, kCbLogConnect); }, 3000));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
    CHECK(PressKeys({VK_MENU}, 'S'));
    CHECK(WaitFor([&] { return !WindowIsTopmost(viewer); }, 3000));
    CHECK(!IsBoxChecked(viewer, kCbFloat));
    if (CHECK(FocusWindow(viewer, FindPane(viewer)))) {
        CHECK(PressKeys({VK_MENU}, 'C'));
        CHECK(WaitForPane(viewer, ""));
        // Alt+T hides the toolbar; then only the menu brings it back, not the same keys.
        CHECK(PressKeys({VK_MENU}, 'T'));
        CHECK(WaitFor([&] { return !IsWindowVisible(FindToolbar(viewer)); }, 3000));
        CHECK_SENT(Print(viewer, "still here"));
        CHECK(FocusWindow(viewer, FindPane(viewer)));
        CHECK(PressKeys({VK_MENU}, 'T'));
        // Keys are handled in order: once Ctrl+Del has cleared the pane, Alt+T has had its turn.
        CHECK(PressKeys({VK_CONTROL}, VK_DELETE));
        CHECK(WaitForPane(viewer, ""));
        CHECK(!IsWindowVisible(FindToolbar(viewer)));
    }
    CHECK(run.Close());
}

} // namespace

int main() {
    RunTest("check marks and enabled states follow the switches", CheckMarksFollowTheSwitches);
    RunTest("items in the table's order", ItemsInTheTablesOrder);
    RunTest("Cut and Copy need a selection", CutAndCopyNeedASelection);
    RunTest("Paste and Select All", PasteAndSelectAll);
    RunTest("switches from the open menu", SwitchesFromTheOpenMenu);
    RunTest("shortcuts act only in the pane", ShortcutsActOnlyInThePane);
    RunTest("the menu opens from the mouse and the keyboard", MenuOpensFromMouseAndKeyboard);
    RunTest("Alt and a letter click the toolbar", AltLettersClickTheToolbar);
    return Finish();
}
