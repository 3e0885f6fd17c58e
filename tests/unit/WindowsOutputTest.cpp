#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"
#include "channel/WindowsOutputLines.h"

namespace {

using Strings = std::vector<std::string>;

// --- The lines made of the messages ------------------------------------------------------------------------

// Messages stamped with their reader's clock, and at a local time whose milliseconds are that clock's.
struct TLinesFixture {
    TWindowsOutputLines Lines;
    std::vector<TReceivedLine> Made;
    void Send(std::uint32_t process, const std::string& text, unsigned time = 0) {
        TLineTime received;
        received.Second = static_cast<int>(time / 1000 % 60);
        received.Millisecond = static_cast<int>(time % 1000);
        Lines.Add(TCapturedMessage{process, text, time, received}, Made);
    }
    // The lines as the pane shows them.
    Strings Take() {
        Strings shown;
        for (const TReceivedLine& line : Made) {
            EXPECT_EQ(line.Origin.Source, TLineSource::WindowsOutput);
            shown.push_back(WindowsOutputPrefix(line.Origin.ProcessId) + line.Text);
        }
        Made.clear();
        return shown;
    }
    // When each line's first piece was received, in milliseconds of the minute.
    std::vector<int> Times() const {
        std::vector<int> times;
        for (const TReceivedLine& line : Made)
            times.push_back(line.Received.Second * 1000 + line.Received.Millisecond);
        return times;
    }
};

TEST(WindowsOutputLines, EveryKindOfLineBreakEndsALineAndEmptyLinesStay) {
    TLinesFixture f;
    f.Send(4711, "frame took 3 ms\r\ncr only\rlf only\n\r\n\n");
    EXPECT_EQ(f.Take(),
              (Strings{"[4711] frame took 3 ms", "[4711] cr only", "[4711] lf only", "[4711] ", "[4711] "}));
    // A CR LF that two messages split is one line break; a message without text completes nothing.
    f.Send(4711, "split\r");
    f.Send(4711, "");
    f.Send(4711, "\nnext\n");
    EXPECT_EQ(f.Take(), (Strings{"[4711] split", "[4711] next"}));
    f.Send(0, "\n");
    EXPECT_EQ(f.Take(), (Strings{"[0] "}));
}

TEST(WindowsOutputLines, TextWaitsForItsOwnProcessAtMostOneSecond) {
    TLinesFixture f;
    f.Send(1, "frame ", 0);
    f.Send(2, "two: whole\n", 10);
    f.Send(2, "two: waits", 20);
    f.Send(1, "took ", 900);
    f.Send(1, "3 ms\nand more", 1010);
    EXPECT_EQ(f.Times(), (std::vector<int>{10, 0})) << "a line was received with its first piece";
    EXPECT_EQ(f.Take(), (Strings{"[2] two: whole", "[1] frame took 3 ms"}));

    // 1 s after its process's last message the text is a line of its own; not a moment earlier.
    f.Lines.TakeOverdue(1019, f.Made);
    EXPECT_EQ(f.Take(), Strings{});
    f.Lines.TakeOverdue(1020, f.Made);
    EXPECT_EQ(f.Take(), Strings{"[2] two: waits"});
    // A message after the second has passed starts a new line, after the overdue one.
    f.Send(1, "late\n", 2800);
    EXPECT_EQ(f.Take(), (Strings{"[1] and more", "[1] late"}));
    // Another process's message prints an overdue line first, too.
    f.Send(3, "three", 3000);
    f.Send(4, "four\n", 4000);
    EXPECT_EQ(f.Take(), (Strings{"[3] three", "[4] four"}));
    // The reader may stamp a message after the window read its clock: it is not overdue before it arrived.
    f.Send(7, "stamped later", 5000);
    f.Lines.TakeOverdue(4999, f.Made);
    EXPECT_EQ(f.Take(), Strings{});
    f.Lines.TakeOverdue(6000, f.Made);
    EXPECT_EQ(f.Take(), Strings{"[7] stamped later"});
    // Nor does the clock's wrapping around make a line overdue early or never.
    f.Send(8, "before the wrap", 0xFFFFFF00u);
    f.Lines.TakeOverdue(0xFFFFFF00u + 999, f.Made);
    EXPECT_EQ(f.Take(), Strings{});
    f.Lines.TakeOverdue(0xFFFFFF00u + 1000, f.Made);
    EXPECT_EQ(f.Take(), Strings{"[8] before the wrap"});
}

TEST(WindowsOutputLines, WaitingTextIsBoundedAndCanBeTakenOrForgotten) {
    TLinesFixture f;
    const std::string piece(4000, 'x');
    f.Send(5, piece);
    EXPECT_EQ(f.Take(), Strings{});
    f.Send(5, std::string(95, 'y'));
    EXPECT_EQ(f.Take(), Strings{});
    f.Send(5, "z");
    EXPECT_EQ(f.Take(), Strings{"[5] " + piece + std::string(95, 'y') + "z"});

    f.Send(6, "six", 10);
    f.Send(7, "seven", 20);
    f.Send(8, "eight", 30);
    f.Send(6, " and", 40);
    f.Lines.Forget(7);
    f.Lines.TakeAll(f.Made);
    EXPECT_EQ(f.Take(), (Strings{"[8] eight", "[6] six and"}));
    f.Lines.TakeAll(f.Made);
    EXPECT_EQ(f.Take(), Strings{});
}

// --- The switch, the pane and the settings -----------------------------------------------------------------

class WindowsOutputTest : public ::testing::Test {
  protected:
    void Start(const std::string& setting) {
        V.SetSetting("CaptureWindowsOutput", setting);
        V.Form.FormCreate();
    }
    bool Checked() { return V.Form.PopupMenu1Popup().mnuCaptureChecked; }

    TViewer V;
};

TEST_F(WindowsOutputTest, OnlyTheSavedOneStartsTheCapture) {
    // An existing key without the value: every viewer that ran before the switch existed.
    V.SetSetting("LogConnect", "0");
    V.Form.FormCreate();
    EXPECT_FALSE(V.Window.Capturing);
    EXPECT_FALSE(Checked());

    for (const char* setting : {"0", "", "true", "2"}) {
        TViewer other;
        other.SetSetting("CaptureWindowsOutput", setting);
        other.Form.FormCreate();
        EXPECT_FALSE(other.Window.Capturing) << setting;
    }

    TViewer on;
    on.SetSetting("CaptureWindowsOutput", "1");
    on.Form.FormCreate();
    EXPECT_TRUE(on.Window.Capturing);
    EXPECT_TRUE(on.Form.PopupMenu1Popup().mnuCaptureChecked);
    EXPECT_EQ(on.Pane.Text(), "");
}

TEST_F(WindowsOutputTest, AnotherReaderAtStartUpIsToldInThePaneAndTheSettingKept) {
    V.Window.Refusal = TCaptureStart::OtherReader;
    Start("1");
    EXPECT_FALSE(V.Window.Capturing);
    EXPECT_FALSE(Checked());
    EXPECT_EQ(V.Pane.Text(), "Windows debug output is already captured by another program\r\n");
    EXPECT_TRUE(V.Window.ErrorBoxes.empty());
    EXPECT_EQ(V.Setting("CaptureWindowsOutput"), "1");
}

TEST_F(WindowsOutputTest, TheMenuItemTogglesTheCaptureUnlessAnotherReaderHasIt) {
    Start("0");
    V.Window.Refusal = TCaptureStart::OtherReader;
    V.Form.mnuCaptureClick();
    EXPECT_EQ(V.Window.ErrorBoxes, Strings{"Windows debug output is already captured by another program."});
    EXPECT_FALSE(V.Window.Capturing);
    EXPECT_FALSE(Checked());
    EXPECT_EQ(V.Setting("CaptureWindowsOutput"), "0");

    V.Window.Refusal = TCaptureStart::Started;
    V.Form.mnuCaptureClick();
    EXPECT_TRUE(V.Window.Capturing);
    EXPECT_TRUE(Checked());
    EXPECT_EQ(V.Setting("CaptureWindowsOutput"), "1");

    // Off: the channel goes at once, and what it brought is printed, the waiting text as its own line.
    V.Window.Send(9, "read before\nwaiting", 0);
    V.Form.mnuCaptureClick();
    EXPECT_FALSE(V.Window.Capturing);
    EXPECT_FALSE(Checked());
    EXPECT_EQ(V.Setting("CaptureWindowsOutput"), "0");
    EXPECT_EQ(V.Pane.Text(), "[9] read before\r\n[9] waiting\r\n");
}

// The history gets the same lines, each with its process's id and name: process 4 started after its
// messages were taken (at second 0), so its id was another process's then, and its name is not theirs.
TEST_F(WindowsOutputTest, LinesReachThePaneAndTheHistoryOnlyWhileDebugOutputIsOn) {
    V.ProcessNames.Processes[3] = {"app.exe", 0};
    V.ProcessNames.Processes[4] = {"later.exe", 30};
    Start("1");
    V.Window.Send(3, "one\ntw", 100);
    EXPECT_TRUE(V.Form.WindowsOutputArrived(150));
    V.Window.Send(3, "o\n", 200);
    V.Form.WindowsOutputArrived(250);
    EXPECT_EQ(V.Pane.Text(), "[3] one\r\n[3] two\r\n");
    EXPECT_FALSE(V.Form.WindowsOutputArrived(300)) << "nothing new";

    // Off: taken and dropped, and text waiting from before is not joined across the dropped message.
    V.Window.Send(3, "waits", 400);
    V.Form.WindowsOutputArrived(450);
    V.Form.CheckBoxClicked(TCheckBoxId::cbDebugOutput, false);
    V.Window.Send(3, " dropped\nalso dropped", 500);
    V.Window.Send(4, "dropped", 510);
    EXPECT_FALSE(V.Form.WindowsOutputArrived(600));
    EXPECT_FALSE(V.Form.WindowsOutputArrived(3000));
    V.Form.CheckBoxClicked(TCheckBoxId::cbDebugOutput, true);
    V.Window.Send(3, "back on\n", 3100);
    V.Window.Send(4, "back on\n", 3100);
    V.Form.WindowsOutputArrived(3200);
    EXPECT_EQ(V.Pane.Text(), "[3] one\r\n[3] two\r\n[3] back on\r\n[4] back on\r\n");

    // Dropped for lack of room: said after what came before, with the waiting text as its own line.
    V.Window.Send(5, "before the gap", 3300);
    V.Window.Dropped = 3;
    V.Form.WindowsOutputArrived(3400);
    EXPECT_EQ(V.Pane.Text(), "[3] one\r\n[3] two\r\n[3] back on\r\n[4] back on\r\n[5] before the gap\r\n"
                             "3 messages of Windows debug output were dropped: the viewer fell behind\r\n");

    EXPECT_EQ(V.History.Texts(), (Strings{"one", "two", "back on", "back on", "before the gap",
                                          "3 messages of Windows debug output were dropped: the viewer fell "
                                          "behind"}));
    std::vector<std::string> origins;
    for (const TReceivedLine& line : V.History.Lines)
        origins.push_back(line.Origin.Source == TLineSource::WindowsOutput
                              ? std::to_string(line.Origin.ProcessId) + " " + line.Origin.ProcessName
                              : "viewer");
    EXPECT_EQ(origins, (Strings{"3 app.exe", "3 app.exe", "3 app.exe", "4 ", "5 ", "viewer"}));
}

TEST_F(WindowsOutputTest, ClosingReleasesTheChannelAfterTheLogHasEverythingCaptured) {
    Start("1");
    V.Window.Send(2, "whole\nwaiting", 0);
    V.Files.Locked.insert(DefaultLogFile);
    EXPECT_THROW(V.Form.FormCloseQuery(), TViewerError);
    EXPECT_TRUE(V.Window.Capturing) << "the window stays open, and captures on";

    V.Files.Locked.clear();
    V.Window.Send(2, " more", 10);
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_FALSE(V.Window.Capturing);
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "[2] whole\r\n[2] waiting\r\n[2]  more\r\n");
    EXPECT_EQ(V.Setting("CaptureWindowsOutput"), "1") << "closing keeps the switch as it was saved";

    // The end of the session: released when it is announced, taken again when it is cancelled.
    TViewer session;
    session.SetSetting("CaptureWindowsOutput", "1");
    session.Form.FormCreate();
    EXPECT_TRUE(session.Form.FormQueryEndSession());
    EXPECT_FALSE(session.Window.Capturing);
    session.Form.FormEndSession(false);
    EXPECT_TRUE(session.Window.Capturing);
    session.Form.FormQueryEndSession();
    session.Form.FormEndSession(true);
    EXPECT_FALSE(session.Window.Capturing);
}

} // namespace
