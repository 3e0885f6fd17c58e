#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

using Strings = std::vector<std::string>;

// What a message asks for, as "Kind text".
std::string Read(unsigned message, bool debugOutput, const TMapList& maps) {
    static const char* const kinds[] = {"None", "Print", "Load", "Save", "SetLog", "Clear"};
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
                    {0x405, "Clear "}};
    for (const auto& command : commands)
        EXPECT_EQ(Read(command.Message, true, Maps), command.Command) << "message " << command.Message;
}

TEST_F(DispatchTest, ClearNeedsNoRegion) {
    Maps.CloseMap(CommandRegionKey);
    EXPECT_EQ(Read(WM_DBG_CLEAR, true, Maps), "Clear ");
    EXPECT_EQ(Read(WM_DBG_PRINT, true, Maps), "Print ");
}

TEST_F(DispatchTest, DebugOutputOffIgnoresAllFiveAndOtherMessagesAreNoCommands) {
    for (unsigned message = WM_DBG_PRINT; message <= WM_DBG_CLEAR; ++message)
        EXPECT_EQ(Read(message, false, Maps), "None ");
    for (unsigned message : {0x0000u, 0x0010u, 0x0400u, 0x0406u, 0x0501u})
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

} // namespace
