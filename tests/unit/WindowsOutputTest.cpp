#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel/WindowsOutputLines.h"

namespace {

using Strings = std::vector<std::string>;

// --- The lines made of the messages ------------------------------------------------------------------------

struct TLinesFixture {
    TWindowsOutputLines Lines;
    Strings Made;
    void Send(std::uint32_t process, const std::string& text, unsigned time = 0) {
        Lines.Add(TCapturedMessage{process, text, time}, Made);
    }
    Strings Take() { return std::exchange(Made, Strings{}); }
};

TEST(WindowsOutputLines, EveryKindOfLineBreakEndsALineAndEmptyLinesStay) {
    TLinesFixture f;
    f.Send(4711, "frame took 3 ms\r\ncr only\rlf only\n\r\n\n");
    EXPECT_EQ(f.Take(),
              (Strings{"[4711] frame took 3 ms", "[4711] cr only", "[4711] lf only", "[4711] ", "[4711] "}));
    // A CR LF that two messages split is one line break; a message without text completes nothing.
    f.Send(4711, "split\r");
    f.Send(4711, "");
    f.Send(4711, "\nnext\n");
    EXPECT_EQ(f.Take(), (Strings{"[4711] split", "[4711] next"}));
    f.Send(0, "\n");
    EXPECT_EQ(f.Take(), (Strings{"[0] "}));
}

TEST(WindowsOutputLines, TextWaitsForItsOwnProcessAtMostOneSecond) {
    TLinesFixture f;
    f.Send(1, "frame ", 0);
    f.Send(2, "two: whole\n", 10);
    f.Send(2, "two: waits", 20);
    f.Send(1, "took ", 900);
    f.Send(1, "3 ms\nand more", 1010);
    EXPECT_EQ(f.Take(), (Strings{"[2] two: whole", "[1] frame took 3 ms"}));

    // 1 s after its process's last message the text is a line of its own; not a moment earlier.
    f.Lines.TakeOverdue(1019, f.Made);
    EXPECT_EQ(f.Take(), Strings{});
    f.Lines.TakeOverdue(1020, f.Made);
    EXPECT_EQ(f.Take(), Strings{"[2] two: waits"});
    // A message after the second has passed starts a new line, after the overdue one.
    f.Send(1, "late\n", 2800);
    EXPECT_EQ(f.Take(), (Strings{"[1] and more", "[1] late"}));
    // Another process's message prints an overdue line first, too.
    f.Send(3, "three", 3000);
    f.Send(4, "four\n", 4000);
    EXPECT_EQ(f.Take(), (Strings{"[3] three", "[4] four"}));
}

TEST(WindowsOutputLines, WaitingTextIsBoundedAndCanBeTakenOrForgotten) {
    TLinesFixture f;
    const std::string piece(4000, 'x');
    f.Send(5, piece);
    EXPECT_EQ(f.Take(), Strings{});
    f.Send(5, std::string(95, 'y'));
    EXPECT_EQ(f.Take(), Strings{});
    f.Send(5, "z");
    EXPECT_EQ(f.Take(), Strings{"[5] " + piece + std::string(95, 'y') + "z"});

    f.Send(6, "six", 10);
    f.Send(7, "seven", 20);
    f.Send(8, "eight", 30);
    f.Send(6, " and", 40);
    f.Lines.Forget(7);
    f.Lines.TakeAll(f.Made);
    EXPECT_EQ(f.Take(), (Strings{"[8] eight", "[6] six and"}));
    f.Lines.TakeAll(f.Made);
    EXPECT_EQ(f.Take(), Strings{});
}

} // namespace
