#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pane/CapacityRule.h"
#include "pane/MessagePane.h"
#include "platform/fake/MemoryFileSystem.h"
#include "platform/fake/MemoryPane.h"

namespace {

// Exactly length characters of client-like output ending in CR LF; the line numbers make every cut
// position recognisable.
std::string ClientOutput(std::size_t length) {
    std::string text;
    for (int line = 0; text.size() < length; ++line)
        text += "output line " + std::to_string(line) + "\r\n";
    text.resize(length - 2);
    return text + "\r\n";
}

std::string Limitation(std::size_t removed) {
    return "***** System Limitations: Lines hat to be removed: " + std::to_string(removed) + "\r\n";
}

class CapacityRuleTest : public ::testing::Test {
  protected:
    // The pane text after a message of messageLength characters reaches a pane holding before.
    std::string Print(const std::string& before, std::size_t messageLength) {
        Pane.SetText(before);
        Messages.DoPrint(Message(messageLength));
        return Pane.Text();
    }
    static std::string Message(std::size_t length) { return std::string(length, 'm'); }

    TMemoryPane Pane;
    TMemoryFileSystem Files;
    TMessagePane Messages{Pane, Files};
};

TEST_F(CapacityRuleTest, TheLimitationPrefixIsTheFiftyOneCharactersUsersSee) {
    EXPECT_EQ(std::strlen(LimitationPrefix), 51u);
    EXPECT_EQ(LimitationPrefixLength, std::strlen(LimitationPrefix));
    EXPECT_EQ(LimitationLine(3849) + "\r\n", Limitation(3849));
}

TEST_F(CapacityRuleTest, BelowTheBudgetNothingIsRemoved) {
    EXPECT_EQ(Print("", 10), Message(10) + "\r\n");
    const std::string before = ClientOutput(28000);
    EXPECT_EQ(Print(before, 1948), before + Message(1948) + "\r\n"); // L + m = 29948
    // 29000 + 100 stays below the budget too, whatever a worked example on its own might suggest.
    const std::string fuller = ClientOutput(29000);
    EXPECT_EQ(Print(fuller, 100), fuller + Message(100) + "\r\n");
}

TEST_F(CapacityRuleTest, AtTheBudgetTheTopIsCutAndReportedAboveTheRemainder) {
    const std::string before = ClientOutput(28000);
    EXPECT_EQ(Print(before, 1949),
              Limitation(1000) + before.substr(1000) + Message(1949) + "\r\n"); // L + m = 29949
}

TEST_F(CapacityRuleTest, AFullerPaneLosesItsTopAndTheCountLeadsTheNewTopLine) {
    const std::string before = ClientOutput(29900);
    const std::string after = Print(before, 100); // n = 29900 - 100 - 25051
    EXPECT_EQ(after.substr(0, after.find("\r\n")), std::string(LimitationPrefix) + "4749");
    EXPECT_EQ(after, Limitation(4749) + before.substr(4749) + Message(100) + "\r\n");
}

TEST_F(CapacityRuleTest, ACountOfZeroOrLessRemovesNothingAndAddsNoLimitationLine) {
    const std::string before = ClientOutput(28000);
    EXPECT_EQ(Print(before, 2949), before + Message(2949) + "\r\n"); // n = 0
    EXPECT_EQ(Pane.TextLength(), 30951u);
    EXPECT_EQ(Print(before, 3000), before + Message(3000) + "\r\n"); // n = -51: the pane is never wiped
    EXPECT_EQ(Print("", 29949), Message(29949) + "\r\n");
    EXPECT_EQ(CharactersToTrim(29949, 30000), 0u);
}

TEST_F(CapacityRuleTest, TrimmingAPaneWhoseLastLineIsOpenKeepsItOpen) {
    const std::string typed = ClientOutput(29894) + "typed."; // 29900, the last line still open
    EXPECT_EQ(Print(typed, 100), Limitation(4749) + typed.substr(4749) + "\r\n" + Message(100));
}

TEST_F(CapacityRuleTest, SteadyOutputStaysUnderThirtyThousandWithOneLimitationLine) {
    for (int i = 0; i < 1000; ++i) {
        Messages.DoPrint("message " + std::to_string(i) + std::string(90, '.'));
        ASSERT_LT(Pane.TextLength(), 30000u) << "after message " << i;
    }
    const std::string text = Pane.Text();
    EXPECT_EQ(text.find(LimitationPrefix), 0u);
    EXPECT_EQ(text.find(LimitationPrefix, 1), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 103), "message 999" + std::string(90, '.') + "\r\n");
}

} // namespace
