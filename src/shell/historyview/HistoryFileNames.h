#pragma once

#include <vector>

#include "shell/historyview/HistoryFolder.h"

// The history's own files among a folder listing, oldest first, as the history names them (see
// HistoryNames.h). Any other file in the folder is left out.
std::vector<THistoryFileEntry> HistoryFilesInOrder(const std::vector<THistoryFileEntry>& listing);
