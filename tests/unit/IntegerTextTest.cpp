#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ViewerParts.h"
#include "shell/IntegerText.h"

namespace {

TEST(IntegerTextTest, DecimalAndHexadecimalTextIsAccepted) {
    const struct {
        const char* Text;
        std::int32_t Value;
    } accepted[] = {{"0", 0},
                    {"-2147483648", INT32_MIN},
                    {"2147483647", INT32_MAX},
                    {"+5", 5},
                    {"-17", -17},
                    {"   12", 12},
                    {"  -3", -3},
                    {"007", 7},
                    {"$0", 0},
                    {"$FFFFFFFF", -1},
                    {"$80000000", INT32_MIN},
                    {"$7fffffff", INT32_MAX},
                    {" $1F", 31},
                    {"$abcdef12", static_cast<std::int32_t>(0xABCDEF12u)}};
    for (const auto& entry : accepted) {
        std::int32_t value = 12345;
        EXPECT_TRUE(TryStrToInt(entry.Text, value)) << "'" << entry.Text << "'";
        EXPECT_EQ(value, entry.Value) << "'" << entry.Text << "'";
    }
}

TEST(IntegerTextTest, EverythingElseIsRejected) {
    const char* const rejected[] = {"",     " ",          "2147483648", "-2147483649", "99999999999999999999",
                                    "12 ",  "\t12",       "1e3",        "--1",         "+-1",
                                    "+",    "-",          "$",          "$123456789",  "$G",
                                    "0x10", "-$1",        " $ 1",       "+ 1",         "1.0",
                                    "12\n", "$FFFFFFFF ", "$-1"};
    for (const char* text : rejected) {
        std::int32_t value = 12345;
        EXPECT_FALSE(TryStrToInt(text, value)) << "'" << text << "'";
        EXPECT_EQ(value, 12345) << "'" << text << "'";
    }
}

TEST(IntegerTextTest, TheErrorNamesTheWholeValueInQuotes) {
    EXPECT_EQ(StrToInt(" -42"), -42);
    EXPECT_EQ(RaisedMessage([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
    EXPECT_EQ(RaisedMessage([] { StrToInt("  8 "); }), "'  8 ' is not a valid integer value");
}

} // namespace
