#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ViewerParts.h"
#include "shell/ViewerStartup.h"

namespace {

using Strings = std::vector<std::string>;
using Names = std::set<std::string>;

class StartupTest : public ::testing::Test {
  protected:
    // Left, top, width, height.
    std::string Placement() const {
        const TPlacement p = V.Window.Placement();
        return std::to_string(p.Left) + "," + std::to_string(p.Top) + "," + std::to_string(p.Width) + "," +
               std::to_string(p.Height);
    }
    // Start-up may write a value more than once; which values it writes is what counts.
    Names WrittenNames() const { return Names(V.Registry.Writes.begin(), V.Registry.Writes.end()); }

    TViewer V;
};

TEST_F(StartupTest, AFirstRunWithoutSettingsUsesTheDefaults) {
    V.Form.FormCreate();
    EXPECT_TRUE(V.Window.IsTopmost());
    EXPECT_TRUE(V.Window.IsToolbarVisible());
    EXPECT_TRUE(V.Form.DebugOutput());
    EXPECT_FALSE(V.Form.LogConnect());
    EXPECT_EQ(WrittenNames(), Names{"LogConnect"});
    EXPECT_EQ(V.Setting("LogConnect"), "0");
    EXPECT_EQ(Placement(), "136,141,650,477");
    EXPECT_TRUE(CallsStartingWith(V.Window, "SetWindowState").empty());
    EXPECT_EQ(V.Form.LogFile(), "C:\\Dravik\\DebugLog.txt");
    EXPECT_EQ(V.Pane.Text(), "");
    EXPECT_TRUE(V.Window.ErrorBoxes.empty());
    EXPECT_TRUE(V.Window.InformationBoxes.empty());
    EXPECT_TRUE(V.Maps.IsOpen(CommandRegionKey));
    EXPECT_FALSE(V.Window.TerminationRequested);
    // The window hid its own title while it looked for another viewer.
    EXPECT_EQ(V.Window.Searches, Strings{"TfrmDebug|Korvane Dravik|own title: must not find current window"});
    EXPECT_EQ(V.Window.Title, "Korvane Dravik");
}

TEST_F(StartupTest, ASecondViewerRaisesTheFirstAndEndsWithoutTouchingAnything) {
    V.Window.OtherViewer = 4711;
    V.Files.Files[DefaultLogFile] = "first viewer's log\r\n";
    V.SetSetting("Left", "5");
    V.Form.FormCreate();
    EXPECT_EQ(V.Window.BroughtToTop, 4711u);
    EXPECT_TRUE(V.Window.TerminationRequested);
    // Clients must never find it: it could not take their prints.
    EXPECT_EQ(V.Window.Title, "must not find current window");
    EXPECT_EQ(V.Memory.CreateCount, 0);
    EXPECT_TRUE(V.Registry.Writes.empty());
    EXPECT_EQ(V.Pane.Text(), "");
    EXPECT_TRUE(CallsStartingWith(V.Window, "SetPlacement").empty());
}

TEST_F(StartupTest, ViewersStartingTogetherTakeTurnsForTheWholeTitleSearch) {
    for (const TWindowId other : {TWindowId(0), TWindowId(4711)}) {
        TViewer viewer;
        viewer.Window.OtherViewer = other;
        viewer.Form.FormCreate();
        const Strings& calls = viewer.Window.Calls;
        Strings expected{"BeginInstanceCheck", "SetTitle must not find current window",
                         "SetTitle Korvane Dravik", "EndInstanceCheck"};
        if (other != 0)
            expected.erase(expected.begin() + 2);
        ASSERT_GE(calls.size(), expected.size());
        EXPECT_EQ(Strings(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                  expected)
            << "other viewer " << other;
    }
}

// A client that finds the window by its title opens the region next; a
// region made after the title would fail a client that looks meanwhile.
TEST_F(StartupTest, TheRegionExistsBeforeTheWindowTakesTheTitleClientsLookFor) {
    bool regionOpenAtTitle = false;
    V.Window.OnTitle = [this, &regionOpenAtTitle](const std::string& title) {
        if (title == "Korvane Dravik")
            regionOpenAtTitle = V.Maps.IsOpen(CommandRegionKey);
    };
    V.Form.FormCreate();
    EXPECT_TRUE(regionOpenAtTitle);
    EXPECT_EQ(V.Memory.CreateCount, 1);
}

TEST_F(StartupTest, AChannelFailureIsAnnouncedAndTheRestOfStartUpStillRuns) {
    V.Memory.Fail = true;
    V.Files.Files[DefaultLogFile] = "last run\r\n";
    V.SetSetting("Floating", "0");
    V.SetSetting("Width", "800");
    V.Form.FormCreate();
    EXPECT_EQ(
        V.Window.InformationBoxes,
        Strings{"Error creating map file.\n\r\n\rThe map file for sharing memory could not be created."});
    EXPECT_TRUE(V.Window.ErrorBoxes.empty());
    EXPECT_TRUE(V.Window.TerminationRequested);
    EXPECT_EQ(V.Pane.Text(), "last run\r\n");
    EXPECT_FALSE(V.Window.IsTopmost());
    EXPECT_EQ(Placement(), "136,141,800,477");
    EXPECT_EQ(WrittenNames(), Names{"LogConnect"});
}

TEST_F(StartupTest, OnlyAFloatingValueOfExactlyZeroKeepsTheWindowNormal) {
    const struct {
        const char* Value;
        bool Topmost;
    } cases[] = {{"0", false}, {"1", true}, {"false", true}, {"2", true}, {"", true}, {" 0", true}};
    for (const auto& entry : cases) {
        TViewer viewer;
        viewer.Window.Topmost = !entry.Topmost; // so that only applying the switch passes
        viewer.SetSetting("Floating", entry.Value);
        viewer.Form.FormCreate();
        EXPECT_EQ(viewer.Window.IsTopmost(), entry.Topmost) << "Floating = '" << entry.Value << "'";
        EXPECT_EQ(viewer.Form.StayOnTop(), entry.Topmost) << "Floating = '" << entry.Value << "'";
    }
}

TEST_F(StartupTest, LogConnectMissingFromAnExistingKeyIsOnAndWrittenBack) {
    V.SetSetting("Floating", "1");
    V.Form.FormCreate();
    EXPECT_TRUE(V.Form.LogConnect());
    EXPECT_EQ(V.Setting("LogConnect"), "1");
}

TEST_F(StartupTest, TheLogFileComesFromTheSettingsWhenItExists) {
    V.Files.Files[DefaultLogFile] = "default\r\n";
    const std::string fits = "C:\\" + std::string(246, 'a') + ".txt";    // 253 characters
    const std::string tooLong = "C:\\" + std::string(247, 'a') + ".txt"; // 254 characters
    V.Files.Files[fits] = "fits\n";
    V.Files.Files[tooLong] = "too long\r\n";
    const struct {
        std::string Setting;
        std::string LogFile;
    } cases[] = {{fits, fits}, {"C:\\deleted.txt", DefaultLogFile}, {tooLong, DefaultLogFile}};
    for (const auto& entry : cases) {
        TViewer viewer;
        viewer.Files.Files = V.Files.Files;
        viewer.SetSetting("LogFile", entry.Setting);
        viewer.Form.FormCreate();
        EXPECT_EQ(viewer.Form.LogFile(), entry.LogFile);
        EXPECT_EQ(viewer.Pane.Text(), entry.LogFile == fits ? "fits\r\n" : "default\r\n");
        EXPECT_TRUE(viewer.Window.ErrorBoxes.empty());
    }
}

TEST_F(StartupTest, ALockedLogIsReportedAndTheSavedStateIsStillApplied) {
    V.Files.Files[DefaultLogFile] = "held by another program\r\n";
    V.Files.Locked.insert(DefaultLogFile);
    V.SetSetting("Floating", "0");
    V.SetSetting("Toolbar", "0");
    V.SetSetting("LogConnect", "1");
    V.SetSetting("Left", "20");
    V.SetSetting("WindowState", "2");
    V.Form.FormCreate();
    EXPECT_EQ(V.Window.ErrorBoxes, Strings{"Cannot open file C:\\Dravik\\DebugLog.txt."});
    EXPECT_EQ(V.Pane.Text(), "");
    EXPECT_FALSE(V.Window.IsTopmost());
    EXPECT_FALSE(V.Window.IsToolbarVisible());
    EXPECT_TRUE(V.Form.LogConnect());
    EXPECT_EQ(WrittenNames(), Names{"LogConnect"});
    EXPECT_EQ(Placement(), "20,141,650,477");
    EXPECT_EQ(V.Window.WindowState(), TWindowState::Maximised);
}

TEST_F(StartupTest, PlacementValuesAreAppliedTopLeftWidthHeight) {
    V.SetSetting("Height", "400");
    V.SetSetting("Width", "$12C");
    V.SetSetting("Left", "-20");
    V.SetSetting("Top", "10");
    V.SetSetting("WindowState", "");
    V.Form.FormCreate();
    EXPECT_EQ(CallsStartingWith(V.Window, "SetPlacement"),
              (Strings{"SetPlacement 136,10,650,477", "SetPlacement -20,10,650,477",
                       "SetPlacement -20,10,300,477", "SetPlacement -20,10,300,400"}));
    EXPECT_TRUE(CallsStartingWith(V.Window, "SetWindowState").empty()); // an empty value is skipped
}

TEST_F(StartupTest, ABadPlacementValueStopsStartUpAfterTheValuesBeforeIt) {
    V.SetSetting("Top", "10");
    V.SetSetting("Left", "x");
    V.SetSetting("Width", "300");
    V.SetSetting("Height", "400");
    V.SetSetting("WindowState", "2");
    const std::string message = RaisedMessage([&] { V.Form.FormCreate(); });
    EXPECT_EQ(message, "'x' is not a valid integer value");
    EXPECT_EQ(Placement(), "136,10,650,477");
    EXPECT_TRUE(CallsStartingWith(V.Window, "SetWindowState").empty());
    EXPECT_TRUE(V.Maps.IsOpen(CommandRegionKey));

    V.Form.ShowException(message); // what the general error display makes of it
    EXPECT_EQ(V.Window.ErrorBoxes, Strings{"'x' is not a valid integer value."});
}

TEST_F(StartupTest, WindowStateTwoMaximisesAndUnknownStatesOpenNormally) {
    const struct {
        const char* Value;
        TWindowState State;
    } cases[] = {{"0", TWindowState::Normal}, {"2", TWindowState::Maximised}, {"7", TWindowState::Normal}};
    for (const auto& entry : cases) {
        TViewer viewer;
        viewer.Window.State = TWindowState::Minimised; // so that only applying the value passes
        viewer.SetSetting("WindowState", entry.Value);
        viewer.Form.FormCreate();
        EXPECT_EQ(viewer.Window.WindowState(), entry.State) << "WindowState = '" << entry.Value << "'";
    }
}

} // namespace

// The window's own start: a part that cannot be made is named with the system's reason, and the program ends
// with an exit code that says it failed.
TEST(ViewerStartupTest, APartOfTheWindowThatCannotBeMadeIsNamedAndTheProgramFails) {
    struct TSteps : IViewerStartup {
        int FailAt = 0;
        int Step = 0;
        bool Shown = false;
        bool LoopRan = false;
        Strings Errors;
        bool Next() { return ++Step != FailAt; }
        bool RegisterWindowClass() override { return Next(); }
        bool CreateMainWindow() override { return Next(); }
        bool RunFormCreate() override { return true; }
        bool AnswerWaitingClients() override { return true; }
        bool CreatePane() override { return Next(); }
        bool CreateToolbarControls() override { return Next(); }
        void ShowWindow() override { Shown = true; }
        int RunEventLoop() override { return LoopRan = true, 0; }
        std::string LastErrorText() const override { return "Not enough memory"; }
        void ShowStartupError(const std::string& message) override { Errors.push_back(message); }
    };
    const char* const parts[] = {"the main window's class", "the main window", "the message pane",
                                 "the toolbar"};
    for (int failAt = 1; failAt <= 4; ++failAt) {
        TSteps steps;
        steps.FailAt = failAt;
        EXPECT_NE(RunViewer(steps), 0);
        EXPECT_EQ(steps.Errors,
                  Strings{std::string("Cannot create ") + parts[failAt - 1] + ": Not enough memory"});
        EXPECT_FALSE(steps.Shown || steps.LoopRan);
    }
    TSteps steps;
    EXPECT_EQ(RunViewer(steps), 0);
    EXPECT_TRUE(steps.Shown && steps.LoopRan && steps.Errors.empty());
}
