#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

const std::string Recovered = "***** Recovered after the viewer ended without closing *****\r\n";
const std::string DefaultCopy = DefaultLogFile + ".recover";
const std::string NotSurviving =
    "***** Cannot write the recovery file " + DefaultCopy + ": output would not survive a crash *****\r\n";

class RecoveryTest : public ::testing::Test {
  protected:
    RecoveryTest() { V.Files.Directories.insert("C:\\Logs\\"); }

    void Print(const std::string& text) {
        WriteClientText(V.Memory.Bytes(RegionName), text);
        V.Command(WM_DBG_PRINT);
    }
    void Tick() { V.Form.tmrRecoveryTimer(); }
    bool Exists(const std::string& name) const { return V.Files.Files.count(name) != 0; }
    std::string File(const std::string& name) { return V.Files.Files[name]; }

    TViewer V;
};

TEST_F(RecoveryTest, TheCopyFollowsEveryChangeOfThePaneAndNothingElse) {
    V.Files.Files[DefaultLogFile] = "yesterday\n";
    V.Form.FormCreate();
    Tick();
    EXPECT_FALSE(Exists(DefaultCopy)) << "the log itself gives this pane";

    Print("today");
    Tick();
    EXPECT_EQ(File(DefaultCopy), "yesterday\r\ntoday\r\n");
    Tick();
    EXPECT_EQ(V.Files.WriteCount[DefaultCopy], 1);

    // The user's typing reaches the pane past the viewer's operations.
    V.Pane.SetText("typed by the user");
    Tick();
    EXPECT_EQ(File(DefaultCopy), "typed by the user");
    V.Form.DoClear();
    Tick();
    EXPECT_EQ(File(DefaultCopy), "");
    EXPECT_EQ(V.Files.WriteCount[DefaultCopy], 3);
    EXPECT_EQ(File(DefaultLogFile), "yesterday\n") << "only the close sequence writes the log";

    // The close writes the log and the copy has done its work; a close refused keeps it.
    Print("last");
    V.Files.Locked.insert(DefaultLogFile);
    EXPECT_EQ(RaisedMessage([&] { V.Form.FormCloseQuery(); }), "Cannot create file " + DefaultLogFile);
    Tick();
    EXPECT_EQ(File(DefaultCopy), "last\r\n");
    V.Files.Locked.clear();
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(File(DefaultLogFile), "last\r\n");
    EXPECT_FALSE(Exists(DefaultCopy));
}

TEST_F(RecoveryTest, AStartFindingACopyLoadsItInsteadOfTheLogAndSaysSo) {
    V.Files.Files[DefaultLogFile] = "closed\r\n";
    V.Files.Files[DefaultCopy] = "closed\r\nprinted before the end\n";
    V.Form.FormCreate();
    EXPECT_EQ(V.Pane.Text(), "closed\r\nprinted before the end\r\n" + Recovered);
    EXPECT_TRUE(V.Window.ErrorBoxes.empty());
    EXPECT_EQ(V.Setting("LogConnect"), "0") << "the rest of the start-up ran";
    EXPECT_TRUE(V.Window.Topmost);
    Tick();
    EXPECT_EQ(File(DefaultCopy), V.Pane.Text());

    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(File(DefaultLogFile), "closed\r\nprinted before the end\r\n" + Recovered);
    EXPECT_FALSE(Exists(DefaultCopy));

    // A copy of a pane that was cleared; a log switched to but never written, found by its copy.
    TViewer next;
    next.Files.Files[DefaultLogFile] = "closed\r\n";
    next.Files.Files[DefaultCopy] = "";
    next.Form.FormCreate();
    EXPECT_EQ(next.Pane.Text(), Recovered);
    TViewer switched;
    switched.Files.Files["C:\\Dravik\\other.txt.recover"] = "after the switch\r\n";
    switched.SetSetting("LogFile", "C:\\Dravik\\other.txt");
    switched.Form.FormCreate();
    EXPECT_EQ(switched.Form.LogFile(), "C:\\Dravik\\other.txt");
    EXPECT_EQ(switched.Pane.Text(), "after the switch\r\n" + Recovered);
}

TEST_F(RecoveryTest, ACopyThatCannotBeReadIsReportedAndNeitherFileIsOverwritten) {
    V.Files.Files[DefaultLogFile] = "older\r\n";
    V.Files.Files[DefaultCopy] = "the only copy\r\n";
    V.Files.Locked.insert(DefaultCopy);
    V.Form.FormCreate();
    EXPECT_EQ(V.Window.ErrorBoxes, Strings{"Cannot open file " + DefaultCopy + "."});
    EXPECT_EQ(V.Pane.Text(), "");
    V.Files.Locked.clear();

    Print("new output");
    Tick();
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(File(DefaultLogFile), "older\r\n");
    EXPECT_EQ(File(DefaultCopy), "the only copy\r\n");

    // Nor where the log itself could not be read: its next start would take the copy for it.
    TViewer locked;
    locked.Files.Files[DefaultLogFile] = "older\r\n";
    locked.Files.Locked.insert(DefaultLogFile);
    locked.Form.FormCreate();
    locked.Files.Locked.clear();
    locked.Pane.SetText("typed");
    locked.Form.tmrRecoveryTimer();
    EXPECT_EQ(locked.Files.Files.count(DefaultCopy), 0u);
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenIsToldOnceAndTriedAgainAtEveryTickUntilWritten) {
    V.Form.FormCreate();
    V.Files.FailWritesTo.insert(DefaultCopy);
    Print("one");
    Tick();
    EXPECT_EQ(V.Pane.Text(), "one\r\n" + NotSurviving);
    Print("two");
    Tick();
    Tick();
    EXPECT_EQ(V.Pane.Text(), "one\r\n" + NotSurviving + "two\r\n");

    // The pane stays as it is: the next tick writes it all the same.
    V.Files.FailWritesTo.clear();
    Tick();
    EXPECT_EQ(File(DefaultCopy), "one\r\n" + NotSurviving + "two\r\n");
    Tick();
    EXPECT_EQ(V.Files.WriteCount[DefaultCopy], 1);

    // The file written first stands beside the copy, and is no longer than it, so that every name the copy
    // can have works for it too.
    ASSERT_EQ(V.Files.TemporaryNames.size(), 1u);
    const std::string temporary = *V.Files.TemporaryNames.begin();
    EXPECT_EQ(temporary.substr(0, temporary.find_last_of('\\')),
              DefaultCopy.substr(0, DefaultCopy.find_last_of('\\')));
    EXPECT_LE(temporary.size(), DefaultCopy.size());
    EXPECT_NE(temporary, DefaultCopy);
    TViewer longest;
    longest.Files.LongestName = DefaultCopy.size();
    longest.Form.FormCreate();
    longest.Pane.SetText("at the longest name");
    longest.Form.tmrRecoveryTimer();
    EXPECT_EQ(longest.Files.Files[DefaultCopy], "at the longest name");
}

// A close brings the copy up to date before it writes the log, and a copy that is left behind all the same
// never outranks the log written after it.
TEST_F(RecoveryTest, ACopyLeftBehindByACloseNeverOutranksTheLog) {
    V.Form.FormCreate();
    Print("A");
    Tick();
    // Another program holds the copy: it can neither be replaced nor removed.
    V.Files.Locked.insert(DefaultCopy);
    Print("B");
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(File(DefaultLogFile), "A\r\nB\r\n") << "no line about the copy at the close";
    ASSERT_EQ(File(DefaultCopy), "A\r\n");
    V.Files.Locked.clear();

    TViewer next;
    next.Files = V.Files;
    next.Form.FormCreate();
    EXPECT_EQ(next.Pane.Text(), "A\r\nB\r\n");
    EXPECT_FALSE(next.Files.Files.count(DefaultCopy)) << "the outranked copy goes";
    next.Form.FormCloseQuery();
    EXPECT_EQ(next.Files.Files[DefaultLogFile], "A\r\nB\r\n");

    // A viewer ended between writing the log and removing the copy: the copy was written just before.
    TViewer ended;
    ended.Form.FormCreate();
    ended.Form.DoPrint("last");
    ended.Files.Undeletable.insert(DefaultCopy);
    ended.Form.FormCloseQuery();
    EXPECT_EQ(ended.Files.Files[DefaultCopy], "last\r\n") << "brought up to date before the log";
    ended.Files.Undeletable.clear();
    TViewer after;
    after.Files = ended.Files;
    after.Form.FormCreate();
    EXPECT_EQ(after.Pane.Text(), "last\r\n");

    // Ended between the copy and the log: the copy is newer, and wins.
    TViewer died;
    died.Files = after.Files;
    died.Files.Files[DefaultCopy] = "last\r\nlater\r\n";
    died.Files.Written(DefaultCopy);
    died.Form.FormCreate();
    EXPECT_EQ(died.Pane.Text(), "last\r\nlater\r\n" + Recovered);
}

TEST_F(RecoveryTest, TheEndOfTheSessionRemovesTheCopyAndACancelledEndStartsItAgain) {
    V.Form.FormCreate();
    Print("before");
    Tick();
    ASSERT_TRUE(Exists(DefaultCopy));
    EXPECT_TRUE(V.Form.FormQueryEndSession());
    EXPECT_FALSE(Exists(DefaultCopy));
    Tick();
    EXPECT_FALSE(Exists(DefaultCopy)) << "the log holds the pane";

    V.Form.FormEndSession(false);
    Print("after the cancelled end");
    Tick();
    EXPECT_EQ(File(DefaultCopy), "before\r\nafter the cancelled end\r\n");
}

TEST_F(RecoveryTest, SwitchingTheLogRemovesTheOldCopyOnlyOnceTheOldLogIsSaved) {
    V.Form.FormCreate();
    Print("old");
    Tick();
    V.Files.Locked.insert(DefaultLogFile);
    EXPECT_EQ(RaisedMessage([&] { V.Form.DoSetLogFile("C:\\Logs\\new.txt"); }),
              "Cannot create file " + DefaultLogFile);
    EXPECT_EQ(File(DefaultCopy), "old\r\n");

    V.Files.Locked.clear();
    V.Form.DoSetLogFile("C:\\Logs\\new.txt");
    EXPECT_EQ(File(DefaultLogFile), "old\r\n");
    EXPECT_FALSE(Exists(DefaultCopy));
    // A viewer that dies from now on is to be started on the new log.
    EXPECT_EQ(V.Setting("LogFile"), "C:\\Logs\\new.txt");
    // The new log does not exist: the pane's text is in no file of its own yet.
    Tick();
    EXPECT_EQ(File("C:\\Logs\\new.txt.recover"), "old\r\n");

    // A log with a copy left by a viewer that died: that copy is the newest text, and no other exists.
    V.Files.Files["C:\\Logs\\died.txt"] = "closed\r\n";
    V.Files.Files["C:\\Logs\\died.txt.recover"] = "closed\r\nlost otherwise\r\n";
    V.Form.DoSetLogFile("C:\\Logs\\died.txt");
    EXPECT_FALSE(Exists("C:\\Logs\\new.txt.recover"));
    EXPECT_EQ(V.Pane.Text(), "closed\r\nlost otherwise\r\n" + Recovered);
}

} // namespace
