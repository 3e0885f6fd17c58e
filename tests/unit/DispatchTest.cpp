#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

// What a message asks for, as "Kind text".
std::string Read(unsigned message, bool debugOutput, const TMapList& maps) {
    static const char* const kinds[] = {"None", "Print", "Load", "Save", "SetLog", "Clear", "PrintUtf8"};
    const TClientCommand command = ReadClientCommand(message, debugOutput, maps);
    return std::string(kinds[static_cast<int>(command.Kind)]) + " " + command.Text;
}

class DispatchTest : public ::testing::Test {
  protected:
    DispatchTest() {
        Maps.CreateMap(CommandRegionKey, CommandRegionSize);
        WriteClientText(Memory.Bytes(RegionName), "C:\\from client.txt");
    }

    TMemorySharedMemory Memory;
    TMapList Maps{Memory};
};

TEST_F(DispatchTest, EachCommandAsksForItsOperationWithTheRegionText) {
    const struct {
        unsigned Message;
        const char* Command;
    } commands[] = {{0x401, "Print C:\\from client.txt"},
                    {0x402, "Load C:\\from client.txt"},
                    {0x403, "Save C:\\from client.txt"},
                    {0x404, "SetLog C:\\from client.txt"},
                    {0x405, "Clear "},
                    {0x406, "PrintUtf8 C:\\from client.txt"}};
    for (const auto& command : commands)
        EXPECT_EQ(Read(command.Message, true, Maps), command.Command) << "message " << command.Message;
}

TEST_F(DispatchTest, ClearNeedsNoRegion) {
    Maps.CloseMap(CommandRegionKey);
    EXPECT_EQ(Read(WM_DBG_CLEAR, true, Maps), "Clear ");
    EXPECT_EQ(Read(WM_DBG_PRINT, true, Maps), "Print ");
}

TEST_F(DispatchTest, DebugOutputOffIgnoresAllSixAndOtherMessagesAreNoCommands) {
    for (unsigned message = WM_DBG_PRINT; message <= WM_DBG_LAST; ++message)
        EXPECT_EQ(Read(message, false, Maps), "None ");
    for (unsigned message : {0x0000u, 0x0010u, 0x0400u, 0x0407u, 0x0501u})
        EXPECT_EQ(Read(message, true, Maps), "None ");
}

// The gate seen from the window, with the real pane behind it.
TEST(WindowCommandTest, DebugOutputOffLeavesPaneAndFilesAloneUntilSwitchedBackOn) {
    TViewer v;
    v.Form.FormCreate();
    v.Files.Files["C:\\in.txt"] = "loaded\r\n";
    v.Pane.SetText("shown\r\n");
    const auto send = [&v](unsigned message, const std::string& text) {
        WriteClientText(v.Memory.Bytes(RegionName), text);
        v.Command(message);
    };

    v.Form.SetDebugOutput(false);
    send(WM_DBG_PRINT, "Hello");
    send(WM_DBG_LOADFROMFILE, "C:\\in.txt");
    send(WM_DBG_SAVETOFILE, "C:\\out.txt");
    send(WM_DBG_SETLOGFILE, "C:\\other.txt");
    send(WM_DBG_CLEAR, "");
    EXPECT_EQ(v.Pane.Text(), "shown\r\n");
    EXPECT_EQ(v.Files.Files.count("C:\\out.txt"), 0u);
    EXPECT_EQ(v.Form.LogFile(), DefaultLogFile);

    v.Form.SetDebugOutput(true);
    send(WM_DBG_LOADFROMFILE, "C:\\missing.txt");
    send(WM_DBG_PRINT, "");
    EXPECT_EQ(v.Pane.Text(), "shown\r\n\r\n");
    send(WM_DBG_LOADFROMFILE, "C:\\in.txt");
    EXPECT_EQ(v.Pane.Text(), "loaded\r\n");
    send(WM_DBG_CLEAR, "");
    EXPECT_EQ(v.Pane.Text(), "");
}

// Every line that reaches the pane is handed to the history as it was received: a client's 8-bit or UTF-8
// text (the pane showing the UTF-8 in the code page), the viewer's own lines and what the history's writer
// says; nothing while Debug Output is off. The history starts with the settings on the log in use, follows
// a switch of the log and stops with the close.
TEST(WindowCommandTest, EveryLineOfThePaneGoesToTheHistoryOfTheLogInUse) {
    TViewer v;
    v.Files.Directories.insert("C:\\Logs\\");
    v.SetSetting("HistoryLimitMB", "12 MB");
    v.Form.FormCreate();
    EXPECT_EQ(v.History.Limit, 256u * 1048576u) << "not a number: the default";
    EXPECT_EQ(v.History.LogFiles, Strings{DefaultLogFile});
    const auto send = [&v](unsigned message, const std::string& text) {
        WriteClientText(v.Memory.Bytes(RegionName), text);
        v.Command(message);
    };

    send(WM_DBG_PRINT, "caf\xE9");
    send(WM_DBG_PRINTUTF8, "caf\xC3\xA9 \xCE\xA9");
    send(WM_DBG_PRINTUTF8, "bad \xFF");
    v.Form.SetDebugOutput(false);
    send(WM_DBG_PRINT, "not received");
    send(WM_DBG_PRINTUTF8, "not received");
    v.Form.SetDebugOutput(true);
    v.Form.DoSetLogFile("C:\\Logs\\other.txt");
    v.Form.DoSetLogFile("C:\\missing\\x.txt");
    v.History.Notices = {
        "***** Cannot write the history C:\\Logs\\other.txt.history: Access is denied *****"};
    v.Form.HistoryNotices();

    EXPECT_EQ(v.Pane.Text(),
              "caf\xE9\r\ncaf\xE9 ?\r\nbad ?\r\nError: Cannot set LogFile to \"C:\\MISSING\\X.TXT\"\r\n"
              "***** Cannot write the history C:\\Logs\\other.txt.history: Access is denied *****\r\n");
    EXPECT_EQ(v.History.Texts(),
              (Strings{"caf\xE9", "caf\xE9 ?", "bad ?", "Error: Cannot set LogFile to \"C:\\MISSING\\X.TXT\"",
                       "***** Cannot write the history C:\\Logs\\other.txt.history: Access "
                       "is denied *****"}));
    const std::vector<TReceivedLine>& lines = v.History.Lines;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_FALSE(lines[0].HasUtf8);
    EXPECT_TRUE(lines[1].HasUtf8);
    EXPECT_EQ(lines[1].Utf8, "caf\xC3\xA9 \xCE\xA9");
    EXPECT_EQ(lines[2].Utf8, "bad \xEF\xBF\xBD") << "what is no UTF-8 is kept as the replacement character";
    EXPECT_EQ(lines[1].Origin.Source, TLineSource::Client);
    EXPECT_EQ(lines[3].Origin.Source, TLineSource::Viewer);
    EXPECT_EQ(lines[4].Origin.Source, TLineSource::Viewer);
    EXPECT_EQ(v.History.LogFiles, (Strings{DefaultLogFile, "C:\\Logs\\other.txt"}));

    EXPECT_FALSE(v.History.Stopped);
    EXPECT_TRUE(v.Form.FormCloseQuery());
    EXPECT_TRUE(v.History.Stopped);

    // "0" switches the history off; a writer that cannot start is said in the pane.
    TViewer off;
    off.SetSetting("HistoryLimitMB", "0");
    off.History.Refuses = true;
    off.Form.FormCreate();
    EXPECT_EQ(off.History.Limit, 0u);
    EXPECT_EQ(
        off.Pane.Text(),
        "***** Cannot write the history C:\\Dravik\\DebugLog.txt.history: its writer could not be started "
        "*****\r\n");
}

} // namespace
