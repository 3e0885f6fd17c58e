#pragma once

#include <string>
#include <string_view>

// The fields of one history entry, "YYYY-MM-DD HH:MM:SS.mmm<TAB>origin<TAB>text", as views into its line.
struct THistoryFields {
    std::string_view Time;
    std::string_view Origin;
    std::string_view Text;
};

// The line without its break: the LF, and a CR before it.
std::string_view WithoutLineBreak(std::string_view row);

// Splits a line (without its break) at the first two tabs; the text keeps any tabs after them. A line
// that does not start with a whole time stamp and a tab, or lacks the second tab (a foreign tool's edit,
// a damaged file), is all text with no time and no origin: nothing in a file is hidden, and Find and
// Filter see it as it is shown.
THistoryFields SplitHistoryLine(std::string_view line);

// A row as the window shows it.
struct THistoryRow {
    std::u16string Time;
    std::u16string Origin;
    std::u16string Text;
};

// Fills row from a line's bytes (its break may be included), reusing the strings' room.
void DecodeHistoryRow(std::string_view line, THistoryRow& row);
