#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

// A viewer that has started as on a first run: every switch on but Log Client Connections, the window
// topmost and the toolbar shown.
class CommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        V.Form.FormCreate();
        V.Window.Calls.clear();
        V.Registry.Writes.clear();
    }
    int LogConnectWrites() const {
        int count = 0;
        for (const std::string& name : V.Registry.Writes)
            count += name == "LogConnect";
        return count;
    }
    bool BoxShown(TCheckBoxId box) const { return V.Window.BoxesShown[static_cast<int>(box)]; }

    TViewer V;
};

// --- Check boxes and their click handlers ------------------------------------------------------------------

TEST_F(CommandsTest, SettingABoxToItsOwnStateRunsNoHandler) {
    V.Form.SetChecked(TCheckBoxId::cbFloat, true);
    V.Form.SetChecked(TCheckBoxId::cbLogConnect, false);
    V.Form.SetChecked(TCheckBoxId::cbToolbar, true);
    EXPECT_TRUE(V.Window.Calls.empty());
    EXPECT_EQ(LogConnectWrites(), 0);
}

TEST_F(CommandsTest, ChangingABoxFromCodeRunsItsHandlerOnce) {
    V.Form.SetChecked(TCheckBoxId::cbFloat, false);
    EXPECT_EQ(V.Window.Calls, Strings{"NotTopmost"});
    EXPECT_FALSE(V.Window.IsTopmost());
    EXPECT_FALSE(BoxShown(TCheckBoxId::cbFloat));

    V.Form.SetChecked(TCheckBoxId::cbToolbar, false);
    EXPECT_FALSE(V.Window.IsToolbarVisible());
    EXPECT_FALSE(BoxShown(TCheckBoxId::cbToolbar));

    V.Form.SetChecked(TCheckBoxId::cbLogConnect, true);
    V.Form.SetChecked(TCheckBoxId::cbLogConnect, true);
    EXPECT_EQ(LogConnectWrites(), 1);
    EXPECT_EQ(V.Setting("LogConnect"), "1");
}

TEST_F(CommandsTest, AUserClickOnABoxRunsItsHandler) {
    V.Form.CheckBoxClicked(TCheckBoxId::cbLogConnect, true);
    EXPECT_EQ(V.Setting("LogConnect"), "1");
    V.Form.CheckBoxClicked(TCheckBoxId::cbLogConnect, false);
    EXPECT_EQ(V.Setting("LogConnect"), "0");
    EXPECT_EQ(LogConnectWrites(), 2);
    V.Form.CheckBoxClicked(TCheckBoxId::cbFloat, false);
    EXPECT_FALSE(V.Window.IsTopmost());
    V.Form.CheckBoxClicked(TCheckBoxId::cbFloat, true);
    EXPECT_TRUE(V.Window.IsTopmost());
}

// --- Menu items of the switches ----------------------------------------------------------------------------

TEST_F(CommandsTest, StayOnTopItemInvertsTheBox) {
    V.Form.mnuFloatClick();
    EXPECT_FALSE(V.Form.StayOnTop());
    EXPECT_FALSE(BoxShown(TCheckBoxId::cbFloat));
    EXPECT_FALSE(V.Window.IsTopmost());
    V.Form.mnuFloatClick();
    EXPECT_TRUE(V.Form.StayOnTop());
    EXPECT_TRUE(BoxShown(TCheckBoxId::cbFloat));
    EXPECT_TRUE(V.Window.IsTopmost());
    // Applying twice leaves only the state: never the opposite of the box.
    for (const std::string& call : V.Window.Calls)
        EXPECT_TRUE(call == "Topmost" || call == "NotTopmost") << call;
    EXPECT_EQ(V.Window.Calls.back(), "Topmost");
}

TEST_F(CommandsTest, ToolbarItemBringsBackAToolbarHiddenByItsBox) {
    V.Form.CheckBoxClicked(TCheckBoxId::cbToolbar, false);
    ASSERT_FALSE(V.Window.IsToolbarVisible());
    V.Form.mnuToolbarClick();
    EXPECT_TRUE(V.Window.IsToolbarVisible());
    EXPECT_TRUE(V.Form.Checked(TCheckBoxId::cbToolbar));
    EXPECT_TRUE(BoxShown(TCheckBoxId::cbToolbar));
    EXPECT_TRUE(V.Form.PopupMenu1Popup().mnuToolbarChecked);
    V.Form.mnuToolbarClick();
    EXPECT_FALSE(V.Window.IsToolbarVisible());
    EXPECT_FALSE(V.Form.Checked(TCheckBoxId::cbToolbar));
}

TEST_F(CommandsTest, ToolbarItemFollowsThePanelNotTheBox) {
    // The panel hidden by other means while the box still shows checked: the item inverts the panel.
    V.Window.ToolbarVisible = false;
    V.Form.mnuToolbarClick();
    EXPECT_TRUE(V.Window.IsToolbarVisible());
    EXPECT_TRUE(V.Form.Checked(TCheckBoxId::cbToolbar));
}

TEST_F(CommandsTest, DebugOutputItemAndBoxStayInStep) {
    V.Form.mnuDebugOutputClick();
    EXPECT_FALSE(V.Form.DebugOutput());
    EXPECT_FALSE(BoxShown(TCheckBoxId::cbDebugOutput));
    EXPECT_FALSE(V.Form.PopupMenu1Popup().mnuDebugOutputChecked);
    V.Form.mnuDebugOutputClick();
    EXPECT_TRUE(V.Form.DebugOutput());

    // Unchecked on the toolbar, the menu never opened since: the item follows the box, so choosing it
    // switches Debug Output back on.
    V.Form.CheckBoxClicked(TCheckBoxId::cbDebugOutput, false);
    V.Form.mnuDebugOutputClick();
    EXPECT_TRUE(V.Form.DebugOutput());
    EXPECT_TRUE(BoxShown(TCheckBoxId::cbDebugOutput));
}

TEST_F(CommandsTest, DebugOutputOffIgnoresClientPrints) {
    V.Form.CheckBoxClicked(TCheckBoxId::cbDebugOutput, false);
    std::vector<unsigned char>& region = *V.Memory.Objects.begin()->second;
    WriteClientText(region, "from a client");
    V.Command(WM_DBG_PRINT);
    EXPECT_EQ(V.Pane.Text(), "");
    V.Form.pbMarkClick();
    EXPECT_EQ(V.Pane.Text(), "*** (MARKED AT 14:05:09)*** *** *** *** *** *** **** *** ***\r\n");
}

TEST_F(CommandsTest, LogConnectItemInvertsTheBoxAndWritesTwice) {
    V.Form.mnuLogConnectClick();
    EXPECT_TRUE(V.Form.LogConnect());
    EXPECT_TRUE(BoxShown(TCheckBoxId::cbLogConnect));
    EXPECT_EQ(V.Setting("LogConnect"), "1");
    EXPECT_EQ(LogConnectWrites(), 2);
    EXPECT_TRUE(V.Form.PopupMenu1Popup().mnuLogConnectChecked);
    V.Form.mnuLogConnectClick();
    EXPECT_FALSE(V.Form.LogConnect());
    EXPECT_EQ(V.Setting("LogConnect"), "0");
    EXPECT_EQ(LogConnectWrites(), 4);
}

// --- The menu as it opens ----------------------------------------------------------------------------------

TEST_F(CommandsTest, MenuCheckMarksCopyTheSwitches) {
    TPopupMenuState state = V.Form.PopupMenu1Popup();
    EXPECT_TRUE(state.mnuFloatChecked);
    EXPECT_TRUE(state.mnuToolbarChecked);
    EXPECT_TRUE(state.mnuDebugOutputChecked);
    EXPECT_FALSE(state.mnuLogConnectChecked);

    V.Form.CheckBoxClicked(TCheckBoxId::cbFloat, false);
    V.Form.CheckBoxClicked(TCheckBoxId::cbToolbar, false);
    V.Form.CheckBoxClicked(TCheckBoxId::cbDebugOutput, false);
    V.Form.CheckBoxClicked(TCheckBoxId::cbLogConnect, true);
    state = V.Form.PopupMenu1Popup();
    EXPECT_FALSE(state.mnuFloatChecked);
    EXPECT_FALSE(state.mnuToolbarChecked);
    EXPECT_FALSE(state.mnuDebugOutputChecked);
    EXPECT_TRUE(state.mnuLogConnectChecked);
}

TEST_F(CommandsTest, CutAndCopyNeedOneSelectedCharacterPasteNeedsText) {
    // The window brings the control in step before the menu opens: the user's selection lives there.
    V.Form.DoPrint("abc");
    V.Pane.Select(0, 0);
    V.Pane.Sync();
    TPopupMenuState state = V.Form.PopupMenu1Popup();
    EXPECT_FALSE(state.mnuCutEnabled);
    EXPECT_FALSE(state.mnuCopyEnabled);
    EXPECT_FALSE(state.mnuPasteEnabled);

    V.Pane.Select(1, 1);
    V.Pane.Sync();
    V.Dialogs.ClipboardText = true;
    state = V.Form.PopupMenu1Popup();
    EXPECT_TRUE(state.mnuCutEnabled);
    EXPECT_TRUE(state.mnuCopyEnabled);
    EXPECT_TRUE(state.mnuPasteEnabled);
}

TEST_F(CommandsTest, SelectAllThenCopyTakesTheWholePane) {
    V.Form.DoPrint("one");
    V.Form.DoPrint("two");
    V.Form.mnuSelectAllClick();
    V.Pane.Sync();
    EXPECT_EQ(V.Pane.SelectionLength(), 10u);
    V.Form.mnuCopyClick();
    EXPECT_EQ(V.Control.Clipboard, "one\r\ntwo\r\n");
    V.Pane.Select(0, 3);
    V.Form.mnuCutClick();
    EXPECT_EQ(V.Pane.Text(), "\r\ntwo\r\n");
    V.Form.mnuPasteClick();
    EXPECT_EQ(V.Pane.Text(), "one\r\ntwo\r\n");
}

// --- Stay on Top around the file dialogs -------------------------------------------------------------------

struct DialogCase {
    const char* name;
    bool saving;
    std::string chosen;
    bool fails;
};

void PrintTo(const DialogCase& c, std::ostream* out) {
    *out << c.name;
}

class StayOnTopAroundDialogs : public CommandsTest, public ::testing::WithParamInterface<DialogCase> {
  protected:
    void Run() {
        if (GetParam().saving)
            V.Form.pbSaveClick();
        else
            V.Form.pbOpenClick();
    }
};

TEST_P(StayOnTopAroundDialogs, SuspendedWhileOpenAndRestoredAfterwards) {
    const DialogCase& c = GetParam();
    V.Files.Files["C:\\in.txt"] = "loaded\r\n";
    V.Files.Files["C:\\held.txt"] = "held by another program";
    V.Files.Locked.insert("C:\\held.txt");
    V.Dialogs.ChosenName = c.chosen;
    bool topmostWhileOpen = true;
    bool boxWhileOpen = true;
    V.Dialogs.WhileOpen = [&] {
        topmostWhileOpen = V.Window.IsTopmost();
        boxWhileOpen = V.Form.StayOnTop();
    };
    if (c.fails)
        EXPECT_THROW(Run(), TViewerError);
    else
        EXPECT_NO_THROW(Run());
    EXPECT_FALSE(topmostWhileOpen);
    EXPECT_FALSE(boxWhileOpen);
    EXPECT_TRUE(V.Window.IsTopmost());
    EXPECT_TRUE(V.Form.StayOnTop());
    EXPECT_TRUE(BoxShown(TCheckBoxId::cbFloat));
    EXPECT_EQ(V.Window.Calls, (Strings{"NotTopmost", "Topmost"}));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StayOnTopAroundDialogs,
    ::testing::Values(DialogCase{"OpenCancelled", false, "", false},
                      DialogCase{"OpenConfirmed", false, "C:\\in.txt", false},
                      DialogCase{"OpenLockedFile", false, "C:\\held.txt", true},
                      DialogCase{"SaveCancelled", true, "", false},
                      DialogCase{"SaveConfirmed", true, "C:\\out.txt", false},
                      DialogCase{"SaveIntoMissingFolder", true, "C:\\nowhere\\out.txt", true}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, DialogsLeaveStayOnTopOffWhenItWasOff) {
    V.Form.CheckBoxClicked(TCheckBoxId::cbFloat, false);
    V.Window.Calls.clear();
    V.Dialogs.ChosenName = "C:\\out.txt";
    V.Form.pbSaveClick();
    V.Form.pbOpenClick();
    EXPECT_TRUE(V.Window.Calls.empty());
    EXPECT_FALSE(V.Form.StayOnTop());
}

// --- What Import and Export do with the chosen name --------------------------------------------------------

TEST_F(CommandsTest, ImportAndExportWorkOnThePane) {
    V.Form.DoPrint("pane");
    V.Dialogs.ChosenName = "C:\\out.txt";
    V.Form.pbSaveClick();
    EXPECT_EQ(V.Files.Files["C:\\out.txt"], "pane\r\n");
    V.Files.Files["C:\\in.txt"] = "from file";
    V.Dialogs.ChosenName = "C:\\in.txt";
    V.Form.pbOpenClick();
    EXPECT_EQ(V.Pane.Text(), "from file");
    // A name that names no file changes nothing; cancelling neither.
    V.Dialogs.ChosenName = "C:\\missing.txt";
    V.Form.pbOpenClick();
    V.Dialogs.ChosenName = "";
    V.Form.pbOpenClick();
    EXPECT_EQ(V.Pane.Text(), "from file");
}

TEST_F(CommandsTest, HistoryOpensOnTheHistoryOfTheLogInUse) {
    V.Form.mnuHistoryClick();
    EXPECT_EQ(V.HistoryViewer.Shown, (Strings{DefaultLogFile + ".history"}));
    EXPECT_TRUE(V.Window.Calls.empty());
}

TEST_F(CommandsTest, EachDialogProposesItsOwnLastChosenName) {
    V.Files.Files["C:\\a.txt"] = "a";
    V.Dialogs.ChosenName = "C:\\a.txt";
    V.Form.pbOpenClick();
    V.Dialogs.ChosenName = "C:\\b.txt";
    V.Form.pbSaveClick();
    // Cancelled: the proposal stays the last confirmed name.
    V.Dialogs.ChosenName = "";
    V.Form.pbOpenClick();
    V.Form.pbOpenClick();
    V.Form.pbSaveClick();
    EXPECT_EQ(V.Dialogs.OfferedNames, (Strings{"", "", "C:\\a.txt", "C:\\a.txt", "C:\\b.txt"}));
}

TEST_F(CommandsTest, AFailedExportStillBecomesTheProposal) {
    V.Dialogs.ChosenName = "C:\\nowhere\\out.txt";
    EXPECT_THROW(V.Form.pbSaveClick(), TViewerError);
    V.Dialogs.ChosenName = "";
    V.Form.pbSaveClick();
    EXPECT_EQ(V.Dialogs.OfferedNames.back(), "C:\\nowhere\\out.txt");
}

TEST_F(CommandsTest, InfoShowsTheAboutBoxAndClearEmptiesThePane) {
    V.Form.DoPrint("text");
    V.Form.pbInfoClick();
    EXPECT_EQ(V.Dialogs.AboutShown, 1);
    V.Form.pbClearClick();
    EXPECT_EQ(V.Pane.Text(), "");
}

} // namespace
