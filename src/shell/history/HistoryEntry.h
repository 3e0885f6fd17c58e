#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/ReceivedLine.h"

// One line of the history: "YYYY-MM-DD HH:MM:SS.mmm<TAB>origin<TAB>text<CR><LF>", in UTF-8, so that grep,
// editors and log shippers read the files as they are.
//
// Appends the entries of one received line to out and returns how many: one per line the pane shows for
// it, each with the line's time and origin, because its text may hold line breaks (CR LF, a lone CR or a
// lone LF). Never a zero byte. Allocates nothing once out has room.
std::size_t AppendHistoryEntries(std::string& out, const TLineTime& received, const TLineOrigin& origin,
                                 std::string_view utf8Text);

// How many entries AppendHistoryEntries makes of the text, without making them.
std::size_t HistoryEntryCount(std::string_view text);

// "2024-03-09 07:05:02.042"
void AppendHistoryTime(std::string& out, const TLineTime& time);

// "client", "4711 app.exe", "4711", "viewer", or for the network "host app procid address" with "-" for
// each field the sender left out.
void AppendHistoryOrigin(std::string& out, const TLineOrigin& origin);
