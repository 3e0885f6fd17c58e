#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ViewerParts.h"

namespace {

class RegionListTest : public ::testing::Test {
  protected:
    RegionListTest() { Maps.CreateMap("MSG_PARAM", 4096); }

    std::vector<unsigned char>& Region() { return Memory.Bytes(RegionName); }
    std::string Read(const std::string& key = "MSG_PARAM") {
        std::string text = "untouched";
        Maps.ReadMap(key, text);
        return text;
    }

    TMemorySharedMemory Memory;
    TMapList Maps{Memory};
};

TEST_F(RegionListTest, CreateMapOpensTheNamedRegionOnce) {
    EXPECT_EQ(Memory.Objects.count("DravikFileMap"), 1u);
    EXPECT_EQ(Region().size(), 4096u);
    EXPECT_EQ(*Memory.OpenRegions, 1);
    Memory.Fail = true;
    EXPECT_FALSE(Maps.CreateMap("OTHER", 4096));
    EXPECT_FALSE(Maps.IsOpen("OTHER"));
}

TEST_F(RegionListTest, KeysMatchWithoutRegardToLetterCaseAndUnknownKeysChangeNothing) {
    WriteClientText(Region(), "Hello");
    EXPECT_EQ(Read("msg_Param"), "Hello");
    EXPECT_EQ(Read("MSG_PARAMS"), "untouched");
    Maps.CloseMap("OTHER");
    EXPECT_EQ(*Memory.OpenRegions, 1);
    Maps.CloseMap("Msg_param");
    EXPECT_EQ(*Memory.OpenRegions, 0);
    Maps.CloseMap("MSG_PARAM"); // closing twice is harmless
    EXPECT_EQ(Read(), "untouched");
}

TEST_F(RegionListTest, TheFirstEntryUnderAKeyIsTheOneFoundAndClosed) {
    WriteClientText(Region(), "first");
    // A different object behind the same name for the second entry.
    WriteClientText(Memory.Precreate(RegionName, 4096), "second");
    ASSERT_TRUE(Maps.CreateMap("msg_param", 4096));
    EXPECT_EQ(Read(), "first");
    Maps.CloseMap("MSG_PARAM");
    EXPECT_EQ(Read(), "second");
}

TEST_F(RegionListTest, TheTextRunsFromOffsetOneToTheFirstZero) {
    const std::string stored = std::string("\x05Hello") + '\0' + "stale rest of a longer text";
    std::copy(stored.begin(), stored.end(), Region().begin());
    EXPECT_EQ(Read(), "Hello");
    Region()[1] = 0;
    EXPECT_EQ(Read(), "");

    std::string longest(4094, 'x');
    longest.back() = 'Z';
    WriteClientText(Region(), longest);
    ASSERT_EQ(Region()[4095], 0);
    EXPECT_EQ(Read(), longest);
}

TEST_F(RegionListTest, ARegionWithoutAZeroByteIsReadToItsEndAndNoFurther) {
    std::fill(Region().begin(), Region().end(), 'q');
    EXPECT_EQ(Read(), std::string(4095, 'q'));
}

TEST(ClientRegionTest, ASmallerRegionMadeByAClientIsUsedAndNeverOverread) {
    TMemorySharedMemory memory;
    TMapList maps{memory};
    std::vector<unsigned char>& small = memory.Precreate(RegionName, 64);
    std::fill(small.begin(), small.end(), 'c');
    ASSERT_TRUE(maps.CreateMap("MSG_PARAM", 4096));
    EXPECT_EQ(memory.Bytes(RegionName).size(), 64u);
    std::string text;
    maps.ReadMap("MSG_PARAM", text);
    EXPECT_EQ(text, std::string(63, 'c'));
}

TEST(ClientRegionTest, ARegionAClientMadeFirstIsReusedAndStartUpSucceeds) {
    TViewer viewer;
    std::vector<unsigned char>& region = viewer.Memory.Precreate(RegionName, 4096);
    WriteClientText(region, "sent before the viewer started");
    viewer.Form.FormCreate();
    EXPECT_TRUE(viewer.Window.InformationBoxes.empty());
    EXPECT_FALSE(viewer.Window.TerminationRequested);
    EXPECT_EQ(&viewer.Memory.Bytes(RegionName), &region);
    viewer.Command(WM_DBG_PRINT);
    EXPECT_EQ(viewer.Pane.Text(), "sent before the viewer started\r\n");
}

} // namespace
