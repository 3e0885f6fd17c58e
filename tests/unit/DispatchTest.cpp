#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

// Records which pane operation a command reached, with the text it carried.
class TSpyTarget : public IClientCommandTarget {
  public:
    void DoPrint(const std::string& text) override { Calls.push_back("Print " + text); }
    void DoLoadFromFile(const std::string& fileName) override { Calls.push_back("Load " + fileName); }
    void DoSaveToFile(const std::string& fileName) override { Calls.push_back("Save " + fileName); }
    void DoSetLogFile(const std::string& fileName) override { Calls.push_back("SetLog " + fileName); }
    void DoClear() override { Calls.push_back("Clear"); }

    Strings Calls;
};

class DispatchTest : public ::testing::Test {
  protected:
    DispatchTest() {
        Maps.CreateMap(CommandRegionKey, CommandRegionSize);
        WriteClientText(Memory.Bytes(RegionName), "C:\\from client.txt");
    }

    TMemorySharedMemory Memory;
    TMapList Maps{Memory};
    TSpyTarget Spy;
};

TEST_F(DispatchTest, EachCommandReachesItsOperationWithTheRegionText) {
    const struct {
        unsigned Message;
        const char* Call;
    } commands[] = {{0x401, "Print C:\\from client.txt"},
                    {0x402, "Load C:\\from client.txt"},
                    {0x403, "Save C:\\from client.txt"},
                    {0x404, "SetLog C:\\from client.txt"},
                    {0x405, "Clear"}};
    for (const auto& command : commands) {
        Spy.Calls.clear();
        DispatchClientCommand(command.Message, true, Maps, Spy);
        EXPECT_EQ(Spy.Calls, Strings{command.Call}) << "message " << command.Message;
    }
}

TEST_F(DispatchTest, ClearNeedsNoRegion) {
    Maps.CloseMap(CommandRegionKey);
    DispatchClientCommand(WM_DBG_CLEAR, true, Maps, Spy);
    DispatchClientCommand(WM_DBG_PRINT, true, Maps, Spy);
    EXPECT_EQ(Spy.Calls, (Strings{"Clear", "Print "}));
}

TEST_F(DispatchTest, DebugOutputOffIgnoresAllFiveAndOtherMessagesAreNoCommands) {
    for (unsigned message = WM_DBG_PRINT; message <= WM_DBG_CLEAR; ++message)
        DispatchClientCommand(message, false, Maps, Spy);
    for (unsigned message : {0x0000u, 0x0010u, 0x0400u, 0x0406u, 0x0501u})
        DispatchClientCommand(message, true, Maps, Spy);
    EXPECT_TRUE(Spy.Calls.empty());
}

// The gate seen from the window, with the real pane behind it.
TEST(WindowCommandTest, DebugOutputOffLeavesPaneAndFilesAloneUntilSwitchedBackOn) {
    TViewer v;
    v.Form.FormCreate();
    v.Files.Files["C:\\in.txt"] = "loaded\r\n";
    v.Pane.SetText("shown\r\n");
    const auto send = [&v](unsigned message, const std::string& text) {
        WriteClientText(v.Memory.Bytes(RegionName), text);
        v.Form.HandleClientCommand(message);
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

} // namespace
