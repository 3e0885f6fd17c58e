#include <gtest/gtest.h>

#include <string>

#include "ViewerParts.h"
#include "pane/MessagePane.h"
#include "pane/PaneBuffer.h"
#include "pane/TextFile.h"

namespace {

using namespace std::string_literals;

TEST(TextFileFormatTest, EveryLoneBreakBecomesCarriageReturnLineFeed) {
    EXPECT_EQ(PaneTextFromFileBytes("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(PaneTextFromFileBytes("cr at the end\r"), "cr at the end\r\n");
    EXPECT_EQ(PaneTextFromFileBytes("\n\r"), "\r\n\r\n");
    EXPECT_EQ(PaneTextFromFileBytes("\r\r\n\n"), "\r\n\r\n\r\n");
    const std::string other = "tab\there \x01\x7F\x80\xE9\xFF end";
    EXPECT_EQ(PaneTextFromFileBytes(other), other);
}

TEST(TextFileFormatTest, TheTextEndsAtTheFirstZeroByte) {
    EXPECT_EQ(PaneTextFromFileBytes("kept\r\0dropped\n"s), "kept\r\n");
    EXPECT_EQ(PaneTextFromFileBytes("\0everything dropped"s), "");
}

class TextFileTest : public ::testing::Test {
  protected:
    TextFileTest() { Pane.SetText("kept\r\n"); }

    std::string RaisedByLoad(const std::string& name) {
        return RaisedMessage([&] { Messages.DoLoadFromFile(name); });
    }
    std::string RaisedBySave(const std::string& name) {
        return RaisedMessage([&] { Messages.DoSaveToFile(name); });
    }

    TMemoryPane Control;
    TPaneBuffer Pane{Control};
    TMemoryFileSystem Files;
    TMessagePane Messages{Pane, Files};
};

TEST_F(TextFileTest, LoadingReplacesThePaneWithTheConvertedText) {
    Files.Files["C:\\in.txt"] = "one\ntwo\rthree\r\nfour\r\0ignored"s;
    Messages.DoLoadFromFile("C:\\in.txt");
    EXPECT_EQ(Pane.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    Files.Files["C:\\empty.txt"] = "";
    Messages.DoLoadFromFile("C:\\empty.txt");
    EXPECT_EQ(Pane.Text(), "");
}

TEST_F(TextFileTest, LoadingAMissingFileOrAFolderDoesNothing) {
    Files.Directories.insert("C:\\Logs");
    EXPECT_EQ(RaisedByLoad("C:\\missing.txt"), "(nothing raised)");
    EXPECT_EQ(RaisedByLoad("C:\\Logs"), "(nothing raised)");
    EXPECT_EQ(Pane.Text(), "kept\r\n");
}

TEST_F(TextFileTest, AFileThatCannotBeLoadedLeavesThePaneAsItWas) {
    Files.Files["C:\\held.txt"] = "other";
    Files.Locked.insert("C:\\held.txt");
    EXPECT_EQ(RaisedByLoad("C:\\held.txt"), "Cannot open file C:\\held.txt");
    EXPECT_EQ(Pane.Text(), "kept\r\n");

    Control.Capacity = 10;
    Files.Files["C:\\fits.txt"] = "12345\r\n789";
    Messages.DoLoadFromFile("C:\\fits.txt");
    // 10 bytes on disk, but 11 characters once the lone LF has become CR LF.
    Files.Files["C:\\grows.txt"] = "12345\n7890";
    EXPECT_EQ(RaisedByLoad("C:\\grows.txt"), "Text exceeds memo capacity");
    EXPECT_EQ(Pane.Text(), "12345\r\n789");
}

TEST_F(TextFileTest, SavingWritesThePaneBytesExactly) {
    for (const std::string& text :
         {"line\r\nlone\rcr, lone\nlf\r\n\xE9\xFF\tno final break"s, "ends\r\n"s, ""s}) {
        Pane.SetText(text);
        Messages.DoSaveToFile("C:\\out.txt");
        EXPECT_EQ(Files.Files["C:\\out.txt"], text);
    }
}

TEST_F(TextFileTest, SavingReportsAFileThatCannotBeCreatedOrWritten) {
    EXPECT_EQ(RaisedBySave("C:\\no\\dir\\out.txt"), "Cannot create file C:\\no\\dir\\out.txt");
    Files.Files["C:\\held.txt"] = "other";
    Files.Locked.insert("C:\\held.txt");
    EXPECT_EQ(RaisedBySave("C:\\held.txt"), "Cannot create file C:\\held.txt");
    EXPECT_EQ(Files.Files["C:\\held.txt"], "other");
    Files.FailWritesTo.insert("C:\\full.txt");
    EXPECT_EQ(RaisedBySave("C:\\full.txt"), "Stream write error");
}

TEST_F(TextFileTest, APaneWithOnlyCarriageReturnLineFeedBreaksSurvivesSaveAndLoad) {
    const std::string text = "first\r\n\r\n  indented\tand tabbed\r\n\xC4\xD6\xDC\r\nlast without break";
    Pane.SetText(text);
    Messages.DoSaveToFile("C:\\round.txt");
    Messages.DoClear();
    Messages.DoLoadFromFile("C:\\round.txt");
    EXPECT_EQ(Pane.Text(), text);
}

} // namespace
