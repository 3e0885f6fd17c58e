#pragma once

#include <string>
#include <vector>

namespace e2e {

// The viewer's history of a log file: its folder "<log>.history\", and the files in it named by when the
// viewer started them, oldest first.
std::string HistoryFolder(const std::string& logPath);
std::vector<std::string> HistoryFiles(const std::string& logPath);

// Every entry of the history's files, oldest first, as "origin<TAB>text": each line of a file must be
// "YYYY-MM-DD HH:MM:SS.mmm<TAB>origin<TAB>text<CR><LF>", and one that is not comes as "<malformed> line".
// Read as another program would while the viewer writes.
std::vector<std::string> HistoryEntries(const std::string& logPath);

// Waits until the history holds at least count entries: the viewer writes it at least once a second.
bool WaitForHistory(const std::string& logPath, std::size_t count, unsigned timeoutMs = 5000);

} // namespace e2e
