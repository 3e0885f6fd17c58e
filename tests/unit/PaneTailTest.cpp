// The lines a control scrolled to its end shows, and which of them plain text drawing reproduces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pane/PaneTail.h"

namespace {
std::vector<std::string> Texts(const std::string& text, const std::vector<TLineSpan>& lines) {
    std::vector<std::string> texts;
    for (const TLineSpan& line : lines)
        texts.push_back(text.substr(line.Start, line.Length));
    return texts;
}

using TLines = std::vector<std::string>;
} // namespace

TEST(PaneTail, LastLinesEndWithTheCaretLine) {
    const std::string text = "one\r\ntwo\r\nthree\r\n";
    EXPECT_EQ(Texts(text, LastLines(text, 2)), (TLines{"three", ""}));
    EXPECT_EQ(Texts(text, LastLines(text, 4)), (TLines{"one", "two", "three", ""}));
    // Fewer lines than asked for: the text's first line comes first.
    EXPECT_EQ(Texts(text, LastLines(text, 30)), (TLines{"one", "two", "three", ""}));

    const std::string open = "one\r\ntyped";
    EXPECT_EQ(Texts(open, LastLines(open, 1)), (TLines{"typed"}));
    EXPECT_EQ(Texts(open, LastLines(open, 5)), (TLines{"one", "typed"}));
}

TEST(PaneTail, LastLinesOfDegenerateTexts) {
    EXPECT_EQ(Texts("", LastLines("", 3)), (TLines{""}));
    EXPECT_TRUE(LastLines("one\r\n", 0).empty());
    EXPECT_EQ(Texts("\r\n", LastLines("\r\n", 3)), (TLines{"", ""}));
    EXPECT_EQ(Texts("\r\n\r\n", LastLines("\r\n\r\n", 2)), (TLines{"", ""}));
    // Only CR LF ends a line: a lone LF or CR stays inside it.
    const std::string lone = "a\nb\rc\r\nd";
    EXPECT_EQ(Texts(lone, LastLines(lone, 3)), (TLines{"a\nb\rc", "d"}));
    // A CR before CR LF belongs to the line before the break.
    const std::string soft = "a\r\r\nb";
    EXPECT_EQ(Texts(soft, LastLines(soft, 3)), (TLines{"a\r", "b"}));
}

TEST(PaneTail, PlainLinesHoldPrintableAsciiOnly) {
    const std::string text = "Hello, world! ~\r\n";
    EXPECT_TRUE(IsPlainLine(text, TLineSpan{0, 15}));
    EXPECT_TRUE(IsPlainLine(text, TLineSpan{17, 0}));
    for (const std::string& bad : {std::string("a\tb"), std::string("a\x7f"), std::string("caf\xe9"),
                                   std::string("a\rb"), std::string("a\nb"), std::string("a\0b", 3)})
        EXPECT_FALSE(IsPlainLine(bad, TLineSpan{0, bad.size()})) << bad;
    // A span beyond the text is never plain.
    EXPECT_FALSE(IsPlainLine(text, TLineSpan{16, 5}));
    EXPECT_FALSE(IsPlainLine(text, TLineSpan{40, 0}));
}
