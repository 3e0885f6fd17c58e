#pragma once

#include <vector>

#include "shell/historyview/HistoryFolder.h"

// The history's own files among a folder listing, oldest first: by the local time in the name
// (YYYYMMDD-HHMMSS.txt), then by the number a second file started within the same second carries
// (-2.txt, -3.txt ...). Any other file in the folder is left out.
std::vector<THistoryFileEntry> HistoryFilesInOrder(const std::vector<THistoryFileEntry>& listing);
