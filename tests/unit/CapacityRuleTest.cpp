#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ReferencePane.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryPane.h"
#include "pane/CapacityRule.h"
#include "pane/MessagePane.h"
#include "pane/PaneBuffer.h"

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

class CapacityRuleTest : public ::testing::Test {
  protected:
    // The pane text after a message of messageLength characters reaches a pane holding before.
    std::string Print(const std::string& before, std::size_t messageLength) {
        Pane.SetText(before);
        Messages.DoPrint(Message(messageLength));
        return Pane.Text();
    }
    static std::string Message(std::size_t length) { return std::string(length, 'm'); }

    TMemoryPane Control;
    TPaneBuffer Pane{Control};
    TMemoryFileSystem Files;
    TMessagePane Messages{Pane, Files};
};

TEST_F(CapacityRuleTest, TheLimitationPrefixIsTheFiftyOneCharactersUsersSee) {
    EXPECT_EQ(std::strlen(LimitationPrefix), 51u);
    EXPECT_EQ(LimitationPrefixLength, std::strlen(LimitationPrefix));
    EXPECT_EQ(LimitationLine(3849) + "\r\n", ReferenceLimitationLine(3849));
}

// The worked-out counts hold for the reference model (which the fuzzer and the end-to-end floods trust) and
// for the pane alike.
TEST_F(CapacityRuleTest, TheTopIsCutByTheCountsWorkedOutAtTheRulesEdges) {
    for (const TCapacityCase& c : ReferenceCapacityCases) {
        SCOPED_TRACE(c.what);
        const std::string before = ClientOutput(c.paneLength);
        const std::string expected = ReferenceTrimmed(before, c.removed) + Message(c.messageLength) + "\r\n";
        TReferencePane model;
        model.Text = before;
        model.Print(Message(c.messageLength));
        EXPECT_EQ(model.Text, expected);
        EXPECT_EQ(Print(before, c.messageLength), expected);
    }
    // The count leads the new top line.
    const std::string after = Print(ClientOutput(29900), 100);
    EXPECT_EQ(after.substr(0, after.find("\r\n")), std::string(LimitationPrefix) + "4749");
}

TEST_F(CapacityRuleTest, ACountOfZeroOrLessNeverWipesThePane) {
    Print(ClientOutput(28000), 2949); // n = 0
    EXPECT_EQ(Pane.TextLength(), 30951u);
    EXPECT_EQ(Print("", 29949), Message(29949) + "\r\n");
    EXPECT_EQ(CharactersToTrim(29949, 30000), 0u);
}

TEST_F(CapacityRuleTest, TrimmingAPaneWhoseLastLineIsOpenKeepsItOpen) {
    const std::string typed = ClientOutput(29894) + "typed."; // 29900, the last line still open
    EXPECT_EQ(Print(typed, 100), ReferenceLimitationLine(4749) + typed.substr(4749) + "\r\n" + Message(100));
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
