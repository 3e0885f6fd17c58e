#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

// One journal of log writes and settings written, in the order they happen. Each setting also says
// whether the command region was still open at that moment.
Strings Journal;

class TJournalFiles : public TMemoryFileSystem {
  public:
    TWriteResult WriteWholeFile(const std::string& name, const std::string& bytes) override {
        const TWriteResult result = TMemoryFileSystem::WriteWholeFile(name, bytes);
        Journal.push_back((result == TWriteResult::Ok ? "write " : "failed to write ") + name);
        return result;
    }
};

class TJournalRegistry : public TMemoryRegistry {
  public:
    bool SetStringValue(const std::string& key, const std::string& valueName,
                        const std::string& data) override {
        const bool regionOpen = OpenRegions && *OpenRegions > 0;
        Journal.push_back(valueName + "=" + data.substr(0, data.find('\0')) +
                          (regionOpen ? "" : " (closed)"));
        return TMemoryRegistry::SetStringValue(key, valueName, data);
    }
    std::shared_ptr<int> OpenRegions;
};

class CloseTest : public ::testing::Test {
  protected:
    // Starts the viewer and forgets what start-up wrote.
    void Start(TWindowState state = TWindowState::Normal) {
        V.Registry.OpenRegions = V.Memory.OpenRegions;
        V.Form.FormCreate();
        V.Window.SetPlacement({31, 41, 700, 500});
        V.Window.State = state;
        Journal.clear();
    }
    void Print(const std::string& text) {
        WriteClientText(V.Memory.Bytes(RegionName), text);
        V.Command(WM_DBG_PRINT);
    }
    static Strings Sequence(const std::string& floating = "1", const std::string& toolbar = "1") {
        return {"write " + DefaultLogFile,
                "Floating=" + floating,
                "Toolbar=" + toolbar,
                "Top=41",
                "Left=31",
                "Width=700",
                "Height=500",
                "WindowState=0",
                "LogFile=" + DefaultLogFile};
    }

    TBasicViewer<TJournalFiles, TJournalRegistry> V;
};

TEST_F(CloseTest, TheLogIsWrittenFirstThenTheSettingsThenTheRegionIsClosed) {
    Start();
    Print("Hello");
    V.Form.SetToolbarShown(false);
    V.Form.SetStayOnTop(false);
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(Journal, Sequence("0", "0"));
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "Hello\r\n");
    EXPECT_EQ(*V.Memory.OpenRegions, 0);
}

TEST_F(CloseTest, AMaximisedWindowKeepsThePreviousPlacementValues) {
    V.SetSetting("Top", "10");
    V.SetSetting("Height", "400");
    Start(TWindowState::Maximised);
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(Journal, (Strings{"write " + DefaultLogFile, "Floating=1", "Toolbar=1", "WindowState=2",
                                "LogFile=" + DefaultLogFile}));
    EXPECT_EQ(V.Setting("Top"), "10");
    EXPECT_EQ(V.Setting("Height"), "400");
}

TEST_F(CloseTest, ALogThatCannotBeWrittenKeepsTheWindowOpenUntilItCanBe) {
    Start();
    Print("keep me");
    V.Files.Locked.insert(DefaultLogFile);
    EXPECT_EQ(RaisedMessage([&] { V.Form.FormCloseQuery(); }), "Cannot create file " + DefaultLogFile);
    EXPECT_EQ(Journal, Strings{"failed to write " + DefaultLogFile});
    Print("still reaching the pane");

    V.Files.Locked.clear();
    Journal.clear();
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(Journal, Sequence());
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "keep me\r\nstill reaching the pane\r\n");
    EXPECT_EQ(*V.Memory.OpenRegions, 0);
}

TEST_F(CloseTest, TheEndOfTheSessionSavesEverythingButClosesTheChannelOnlyWhenItHappens) {
    Start();
    Print("before");
    EXPECT_TRUE(V.Form.FormQueryEndSession());
    EXPECT_EQ(Journal, Sequence());
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "before\r\n");

    V.Form.FormEndSession(false);
    Print("after the cancelled end");
    EXPECT_EQ(V.Pane.Text(), "before\r\nafter the cancelled end\r\n");
    V.Form.FormEndSession(true);
    EXPECT_EQ(*V.Memory.OpenRegions, 0);
}

TEST_F(CloseTest, AFailingSaveRefusesTheEndOfTheSession) {
    Start();
    V.Files.FailWritesTo.insert(DefaultLogFile);
    EXPECT_EQ(RaisedMessage([&] { V.Form.FormQueryEndSession(); }), "Stream write error");
    EXPECT_EQ(Journal, Strings{"failed to write " + DefaultLogFile});
}

TEST_F(CloseTest, ACloseAfterACancelledSessionEndRunsTheWholeSequenceAgain) {
    Start();
    EXPECT_TRUE(V.Form.FormQueryEndSession());
    V.Form.FormEndSession(false);
    Print("later output");
    Journal.clear();
    EXPECT_TRUE(V.Form.FormCloseQuery());
    EXPECT_EQ(Journal, Sequence());
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "later output\r\n");
    EXPECT_EQ(*V.Memory.OpenRegions, 0);
}

TEST_F(CloseTest, ALogThatFailedToLoadAtStartIsNotOverwrittenButTheRestIsSaved) {
    V.Files.Files[DefaultLogFile] = "the only copy of yesterday\r\n";
    V.Files.Locked.insert(DefaultLogFile);
    Start();
    V.Files.Locked.clear();
    Print("today");
    EXPECT_TRUE(V.Form.FormCloseQuery());
    const Strings full = Sequence();
    EXPECT_EQ(Journal, Strings(full.begin() + 1, full.end()));
    EXPECT_EQ(V.Files.Files[DefaultLogFile], "the only copy of yesterday\r\n");
}

} // namespace
