// The pane's popup menu and its shortcuts as a user works them: what the menu shows when it opens, items
// chosen by their accelerator letters, the clipboard, and the keys pressed in the pane.
#include "harness/fixture.h"
#include "harness/steps.h"
#include "harness/ui.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

using namespace e2e;

namespace {

// The menu's items in order, separators left out.
const char* const kItems[] = {"Clear",
                              "Cut",
                              "Copy",
                              "Paste",
                              "Select All",
                              "Import",
                              "Export",
                              "History...",
                              "Mark",
                              "Stay on Top",
                              "Toolbar",
                              "Debug Output",
                              "Log Client Connections",
                              "Capture Windows Output",
                              "Network...",
                              "Info"};
static_assert(std::size(kItems) == kMenuItemCount, "the harness reads as many items as the menu has");

int Position(const std::string& item) {
    return static_cast<int>(std::find(std::begin(kItems), std::end(kItems), item) - std::begin(kItems));
}

// A first run whose pane shows one line.
Steps WithText(const std::string& line) {
    return {FirstRun(), Print(line), Must(Within(PaneIs(line + "\r\n")))};
}

// Opens the popup menu, checks how the items show and closes it again without choosing anything. Each look
// is an item's name, enabled and without a check mark unless " greyed" or " checked" follows it.
Step MenuShows(const std::vector<std::string>& looks) {
    return Must({"the menu's look", [looks](StepContext& c) {
                     std::vector<MenuItemLook> items;
                     if (!LookAtMenu(c.Viewer(), c.Run().ProcessId(), items))
                         return std::string("the menu could not be read");
                     std::string wrong;
                     for (std::string look : looks) {
                         const bool greyed =
                             look.size() > 7 && look.compare(look.size() - 7, 7, " greyed") == 0;
                         const bool checked =
                             look.size() > 8 && look.compare(look.size() - 8, 8, " checked") == 0;
                         look.resize(look.size() - (greyed ? 7 : checked ? 8 : 0));
                         const MenuItemLook& seen = items[static_cast<std::size_t>(Position(look))];
                         if (seen.enabled == greyed)
                             wrong += " " + look + (greyed ? " enabled" : " greyed");
                         if (seen.checked != checked)
                             wrong += " " + look + (checked ? " without" : " with") + " a check mark";
                     }
                     return wrong;
                 }});
}

// Opens the menu and chooses the item by its position, counting no separators.
Step ChooseByPosition(const std::string& item) {
    return Expect("choose " + item + " by position", [item](StepContext& c) {
        return ChooseFromMenu(c.Viewer(), c.Run().ProcessId(), '\r', Position(item) + 1);
    });
}

// Keys pressed through the system's input queue.
Step Keys(const std::vector<WORD>& modifiers, WORD key) {
    return Expect("press " + std::to_string(key), [=](StepContext&) { return PressKeys(modifiers, key); });
}

// The keyboard focus given to the pane, or to the Debug Output box; whether the pane still has it.
Step Focus(bool pane) {
    return Expect(pane ? "focus the pane" : "focus the Debug Output box", [pane](StepContext& c) {
        return FocusWindow(c.Viewer(),
                           pane ? FindPane(c.Viewer()) : ToolbarControl(c.Viewer(), kCbDebugOutput));
    });
}

Step PaneHasFocus() {
    return Expect("the pane has the focus",
                  [](StepContext& c) { return FocusOf(c.Viewer()) == FindPane(c.Viewer()); });
}

// Ctrl+A, Ctrl+C: the whole pane on the clipboard.
Step CopyAllByKeys(const std::string& pane) {
    return {"Ctrl+A, Ctrl+C", [pane](StepContext& c) {
                const DWORD emptied = GetClipboardSequenceNumber();
                std::string clip;
                if (!PressKeys({VK_CONTROL}, 'A') || !Settle(c.Viewer()) || !PressKeys({VK_CONTROL}, 'C') ||
                    !WaitForClipboardText(emptied, clip, 3000))
                    return std::string("no text came on the clipboard");
                return Mismatch(clip, pane);
            }};
}

Step NoMenuOpen() {
    return Expect("no menu open", [](StepContext&) {
        const HWND menu = FindWindowA("#32768", nullptr);
        return menu == nullptr || !IsWindowVisible(menu);
    });
}

void MenuOpensFromMouseAndKeyboard() {
    ViewerRun run;
    if (!StartFirstRun(run) || !CHECK_SENT(Print(run.Window(), "context")) ||
        !CHECK(WaitForPane(run.Window(), "context\r\n")))
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

std::vector<StepTest> MenuTests() {
    return {
        // A first run: every switch on but Log Client Connections; nothing selected, nothing to paste.
        // Every box flipped on the toolbar shows in the menu the next time it opens; the toolbar hidden
        // from its own box unchecks the menu's item, and so does Log Client Connections switched off again
        // on the toolbar.
        {"check marks and enabled states follow the switches",
         WithText("some text") +
             Steps{ClearClipboard(), Select(-1, 0),
                   MenuShows({"Clear", "Cut greyed", "Copy greyed", "Paste greyed", "Select All", "Import",
                              "Mark", "Stay on Top checked", "Toolbar checked", "Debug Output checked",
                              "Log Client Connections", "Capture Windows Output", "Network...", "Info"}),
                   Click(kCbFloat), Click(kCbDebugOutput), Click(kCbLogConnect), Select(0, 4),
                   PutClipboard("to paste"),
                   MenuShows({"Cut", "Copy", "Paste", "Stay on Top", "Toolbar checked", "Debug Output",
                              "Log Client Connections checked"}),
                   Click(kCbToolbar), MenuShows({"Toolbar"}), Click(kCbLogConnect),
                   MenuShows({"Log Client Connections"}), Close()}},
        {"items in the table's order",
         WithText("order") +
             Steps{ChooseByPosition("Select All"), SelectionIs(0, 7), ChooseByPosition("Mark"),
                   PaneStartsWith("order\r\n*** (MARKED AT "), ChooseByPosition("Stay on Top"),
                   Topmost(false), ChooseByPosition("Toolbar"), ToolbarShown(false),
                   ChooseByPosition("Debug Output"), BoxIs(kCbDebugOutput, false),
                   ChooseByPosition("Log Client Connections"), BoxIs(kCbLogConnect, true),
                   ChooseByPosition("Capture Windows Output"), SettingIs("CaptureWindowsOutput", "1")} +
             Steps{ChooseByPosition("Import"), Dialog("Open"), Cancel(), ChooseByPosition("Export"),
                   Dialog("Save"), Cancel(), ChooseByPosition("Network..."), Dialog("Network"), Cancel(),
                   ChooseByPosition("Info"), Dialog("About Korvane Dravik"), Cancel(),
                   ChooseByPosition("Clear"), PaneIs(""), Close()}},
        // With a selection both act.
        {"Cut and Copy need a selection",
         WithText("alpha beta") + Steps{PutClipboard("untouched"), Select(-1, 0), MenuLetter('u'),
                                        MenuLetter('o'), ClipboardIs("untouched"), PaneIs("alpha beta\r\n"),
                                        Select(0, 5), MenuLetter('o'), ClipboardIs("alpha"),
                                        PaneIs("alpha beta\r\n"), Select(6, 10), MenuLetter('u'),
                                        ClipboardIs("beta"), PaneIs("alpha \r\n"), Close()}},
        // Paste replaces the selection with the clipboard's text. Select All then Copy: the whole pane, line
        // breaks included. With nothing on the clipboard, choosing Paste changes nothing.
        {"Paste and Select All",
         WithText("first") + Steps{PutClipboard("PASTED"), Select(1, 4), MenuLetter('a'),
                                   PaneIs("fPASTEDt\r\n"), Print("second"), Select(0, 0), MenuLetter('s'),
                                   SelectionIs(0, 18), MenuLetter('o'), ClipboardIs("fPASTEDt\r\nsecond\r\n"),
                                   ClearClipboard(), Select(0, 1), MenuLetter('a'),
                                   PaneIs("fPASTEDt\r\nsecond\r\n"), Close()}},
        // Debug Output: the item inverts its check mark and sets the box to it. The toolbar hidden through
        // its box comes back through the menu with the box checked.
        {"switches from the open menu",
         WithText("x") +
             Steps{MenuLetter('d'), BoxIs(kCbDebugOutput, false), Print("ignored"), PaneIs("x\r\n"),
                   Click(kCbDebugOutput), Click(kCbDebugOutput), MenuLetter('d'), BoxIs(kCbDebugOutput, true),
                   MenuLetter('l'), BoxIs(kCbLogConnect, true), SettingIs("LogConnect", "1")} +
             Steps{Click(kCbToolbar), ToolbarShown(false), MenuLetter('t'), ToolbarShown(true),
                   BoxIs(kCbToolbar, true), MenuLetter('m'), PaneStartsWith("x\r\n*** (MARKED AT "),
                   MenuLetter('c'), PaneIs(""), Close()}},
        // Ctrl+X, Ctrl+V on a part of the pane. Tab goes into the text rather than to the next control.
        // Ctrl+Del with a toolbar control focused does nothing: keys are handled in the order pressed, so
        // once Alt+M has marked, Ctrl+Del has had its turn. Ctrl+Del in the pane, menu closed, clears it.
        {"shortcuts act only in the pane",
         WithText("keyboard") +
             Steps{Must(Focus(true)), ClearClipboard(), CopyAllByKeys("keyboard\r\n"), Select(0, 3),
                   Keys({VK_CONTROL}, 'X'), Within(PaneIs("board\r\n")), Select(5, 5),
                   Keys({VK_CONTROL}, 'V'), Within(PaneIs("boardkey\r\n")), Select(0, 0), Keys({}, VK_TAB),
                   Within(PaneIs("\tboardkey\r\n")), PaneHasFocus()} +
             Steps{Focus(false), Keys({VK_CONTROL}, VK_DELETE), Keys({VK_MENU}, 'M'),
                   Within(PaneStartsWith("\tboardkey\r\n*** (MARKED AT ")), BoxIs(kCbDebugOutput, true),
                   Focus(true), Select(2, 2), Keys({VK_CONTROL}, VK_DELETE), Within(PaneIs("")), NoMenuOpen(),
                   Close()}},
        // Alt+T hides the toolbar; then only the menu brings it back, not the same keys. Keys are handled in
        // order: once Ctrl+Del has cleared the pane, Alt+T has had its turn.
        {"Alt and a letter click the toolbar",
         WithText("alt") +
             Steps{Must(Focus(true)), Keys({VK_MENU}, 'M'), Within(PaneStartsWith("alt\r\n*** (MARKED AT ")),
                   Keys({VK_MENU}, 'L'), Within(BoxIs(kCbLogConnect, true)), SettingIs("LogConnect", "1"),
                   Keys({VK_MENU}, 'S'), Within(Topmost(false)), BoxIs(kCbFloat, false), Must(Focus(true))} +
             Steps{Keys({VK_MENU}, 'C'), Within(PaneIs("")), Keys({VK_MENU}, 'T'),
                   Within(ToolbarShown(false)), Print("still here"), Focus(true), Keys({VK_MENU}, 'T'),
                   Keys({VK_CONTROL}, VK_DELETE), Within(PaneIs("")), ToolbarShown(false), Close()}},
    };
}

} // namespace

int main() {
    RunStepTests(MenuTests());
    RunTest("the menu opens from the mouse and the keyboard", MenuOpensFromMouseAndKeyboard);
    return Finish();
}
