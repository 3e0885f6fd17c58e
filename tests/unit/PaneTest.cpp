#include <gtest/gtest.h>

#include <string>

#include "ViewerParts.h"
#include "pane/MarkLine.h"
#include "pane/MessagePane.h"
#include "pane/PaneBuffer.h"

namespace {

class PaneLinesTest : public ::testing::Test {
  protected:
    std::string PrintInto(const std::string& before, const std::string& text) {
        Pane.SetText(before);
        Messages.DoPrint(text);
        return Pane.Text();
    }

    TMemoryPane Control;
    TPaneBuffer Pane{Control};
    TMemoryFileSystem Files;
    TMessagePane Messages{Pane, Files};
};

TEST_F(PaneLinesTest, AppendingPutsTheLineBreakAfterTheTextOnAClosedPane) {
    EXPECT_EQ(PrintInto("", "first"), "first\r\n");
    EXPECT_EQ(PrintInto("first\r\n", "second"), "first\r\nsecond\r\n");
    EXPECT_EQ(PrintInto("first\r\n", ""), "first\r\n\r\n");
}

TEST_F(PaneLinesTest, AppendingToAnOpenLastLinePutsTheBreakBeforeTheText) {
    EXPECT_EQ(PrintInto("line\r\ntyped by the user", "client"), "line\r\ntyped by the user\r\nclient");
    Messages.DoPrint("again");
    EXPECT_EQ(Pane.Text(), "line\r\ntyped by the user\r\nclient\r\nagain");
    // A lone CR at the end is not a line break.
    EXPECT_EQ(PrintInto("half\r", "next"), "half\r\r\nnext");
}

TEST_F(PaneLinesTest, TextIsInsertedUnchangedWhateverBreaksItHolds) {
    EXPECT_EQ(PrintInto("", "a\r\nb\rc\nd\n\r"), "a\r\nb\rc\nd\n\r\r\n");
}

const std::string ClosingRun = ")*** *** *** *** *** *** **** *** ***";

TTimeFormat Clock(bool twentyFourHours, bool leadingZero, const std::string& separator = ":") {
    TTimeFormat format;
    format.TwentyFourHourClock = twentyFourHours;
    format.LeadingZeroInHours = leadingZero;
    format.Separator = separator;
    return format;
}

TEST(MarkLineTest, TheTimeSitsBetweenTheOpeningAndTheExactClosingRun) {
    EXPECT_EQ(MarkLine({14, 5, 9}, Clock(true, true)),
              "*** (MARKED AT 14:05:09)*** *** *** *** *** *** **** *** ***");
    EXPECT_EQ(MarkLine({9, 5, 9}, Clock(true, false)), "*** (MARKED AT 9:05:09" + ClosingRun);
    EXPECT_EQ(MarkLine({14, 5, 9}, Clock(true, true, ".")), "*** (MARKED AT 14.05.09" + ClosingRun);
}

TEST(MarkLineTest, TheLocaleDecidesLeadingZeroClockAndSeparator) {
    const struct {
        TTimeOfDay Time;
        TTimeFormat Format;
        const char* Expected;
    } cases[] = {
        {{9, 5, 9}, Clock(true, true), "09:05:09"},          {{0, 0, 0}, Clock(true, false), "0:00:00"},
        {{23, 59, 59}, Clock(true, false), "23:59:59"},      {{0, 30, 0}, Clock(false, false), "12:30:00 AM"},
        {{11, 59, 59}, Clock(false, false), "11:59:59 AM"},  {{12, 0, 1}, Clock(false, false), "12:00:01 PM"},
        {{13, 5, 9}, Clock(false, false), "1:05:09 PM"},     {{13, 5, 9}, Clock(false, true), "01:05:09 PM"},
        {{21, 0, 7}, Clock(false, false, "."), "9.00.07 PM"}};
    for (const auto& entry : cases)
        EXPECT_EQ(FormatTimeOfDay(entry.Time, entry.Format), entry.Expected);
}

TEST(MarkLineTest, MarkPrintsTheClocksTimeAsANewLastLine) {
    TViewer viewer;
    viewer.Clock.Time = {9, 5, 9};
    viewer.Clock.Format = Clock(true, false);
    viewer.Pane.SetText("earlier\r\n");
    viewer.Form.DoMark();
    EXPECT_EQ(viewer.Pane.Text(), "earlier\r\n*** (MARKED AT 9:05:09" + ClosingRun + "\r\n");
}

} // namespace
