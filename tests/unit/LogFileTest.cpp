#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

class SetLogFileTest : public ::testing::Test {
  protected:
    SetLogFileTest() { V.Files.Directories.insert("C:\\Logs\\"); }

    // A first run, so the log is the default one, which does not exist yet.
    void Start(const std::string& paneText) {
        V.Form.FormCreate();
        ASSERT_EQ(V.Form.LogFile(), DefaultLogFile);
        V.Pane.SetText(paneText);
    }
    std::string RaisedBySetLogFile(const std::string& name) {
        return RaisedMessage([&] { V.Form.DoSetLogFile(name); });
    }

    TViewer V;
};

TEST_F(SetLogFileTest, ANewCreatableNameSavesThePaneIntoTheOldLogAndKeepsThePane) {
    Start("before the switch\r\n");
    V.Form.DoSetLogFile("C:\\Logs\\new.txt");
    EXPECT_EQ(V.Form.LogFile(), "C:\\Logs\\new.txt");
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "before the switch\r\n");
    EXPECT_EQ(V.Files.Files.count("C:\\Logs\\new.txt"), 0u);
    EXPECT_EQ(V.Pane.Text(), "before the switch\r\n");

    EXPECT_EQ(V.Setting("LogFile"), "C:\\Logs\\new.txt");
    // The History window follows to the new log's history.
    EXPECT_EQ(V.HistoryViewer.Changed, std::vector<std::string>{"C:\\Logs\\new.txt.history"});
}

TEST_F(SetLogFileTest, AnUnwritableNameIsReportedInThePaneInUpperCase) {
    Start("kept\r\n");
    V.Form.DoSetLogFile("c:\\no\\such\\dir\\x.txt");
    EXPECT_EQ(V.Pane.Text(), "kept\r\nError: Cannot set LogFile to \"C:\\NO\\SUCH\\DIR\\X.TXT\"\r\n");
    EXPECT_TRUE(V.HistoryViewer.Changed.empty());
    EXPECT_EQ(V.Form.LogFile(), DefaultLogFile);
    EXPECT_EQ(V.Files.Files.count(DefaultLogFile), 0u);

    // Only a to z change: other bytes, accented letters of the code page included, stay as they are.
    V.Pane.SetText("");
    V.Form.DoSetLogFile("c:\\m\xFC"
                        "ller\\r\xE9sum\xE9_[a-z]{~}.log");
    EXPECT_EQ(V.Pane.Text(), "Error: Cannot set LogFile to \"C:\\M\xFC"
                             "LLER\\R\xE9SUM\xE9_[A-Z]{~}.LOG\"\r\n");
}

TEST_F(SetLogFileTest, AnExistingNewLogReplacesThePane) {
    V.Files.Files["C:\\Logs\\other.txt"] = "other log\nsecond line\n";
    Start("current\r\n");
    V.Form.DoSetLogFile("C:\\Logs\\other.txt");
    EXPECT_EQ(V.Form.LogFile(), "C:\\Logs\\other.txt");
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "current\r\n");
    EXPECT_EQ(V.Pane.Text(), "other log\r\nsecond line\r\n");
    EXPECT_EQ(V.Files.Files["C:\\Logs\\other.txt"], "other log\nsecond line\n");
}

TEST_F(SetLogFileTest, AnOldLogThatCannotBeWrittenKeepsTheLogFileAndLoadsNothing) {
    V.Files.Files["C:\\Logs\\other.txt"] = "other log\r\n";
    Start("current\r\n");
    V.Files.Locked.insert(DefaultLogFile);
    EXPECT_EQ(RaisedBySetLogFile("C:\\Logs\\other.txt"), "Cannot create file " + DefaultLogFile);
    EXPECT_EQ(V.Form.LogFile(), DefaultLogFile);

    V.Files.Locked.clear();
    V.Files.FailWritesTo.insert(DefaultLogFile);
    EXPECT_EQ(RaisedBySetLogFile("C:\\Logs\\other.txt"), "Stream write error");
    EXPECT_EQ(V.Form.LogFile(), DefaultLogFile);
    EXPECT_EQ(V.Pane.Text(), "current\r\n");
}

TEST_F(SetLogFileTest, ALogThatFailedToLoadAtStartIsNotOverwrittenWhenLeaving) {
    V.Files.Files[DefaultLogFile] = "precious\r\n";
    V.Files.Locked.insert(DefaultLogFile);
    V.Form.FormCreate();
    V.Files.Locked.clear(); // the other program lets go of it later
    V.Pane.SetText("typed after start\r\n");

    V.Form.DoSetLogFile("C:\\Logs\\new.txt");
    EXPECT_EQ(V.Form.LogFile(), "C:\\Logs\\new.txt");
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "precious\r\n");
    // The new log loaded fine (it did not exist), so closing writes into it.
    EXPECT_EQ(V.Files.Files["C:\\Logs\\new.txt"], "typed after start\r\n");
}

TEST_F(SetLogFileTest, ANewLogThatFailsToLoadIsKeptButNeverOverwritten) {
    V.Files.Files["C:\\Logs\\huge.txt"] = std::string(40, 'h');
    Start("current\r\n");
    V.Control.Capacity = 20;

    EXPECT_EQ(RaisedBySetLogFile("C:\\Logs\\huge.txt"), "Text exceeds memo capacity");
    EXPECT_EQ(V.Form.LogFile(), "C:\\Logs\\huge.txt");
    EXPECT_EQ(V.Pane.Text(), "current\r\n");
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "current\r\n");

    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(V.Files.Files["C:\\Logs\\huge.txt"], std::string(40, 'h'));
    EXPECT_EQ(V.Setting("LogFile"), "C:\\Logs\\huge.txt");
}

} // namespace
