#pragma once

#include <string>
#include <vector>

#include "common/ReceivedLine.h"

// "DebugLog.txt" keeps its history in "DebugLog.txt.history".
std::string HistoryFolderFor(const std::string& logFile);

// A file of the folder by its name.
std::string HistoryFilePath(const std::string& folder, const std::string& name);

// A history file is named by the local time the viewer started writing it, "YYYYMMDD-HHMMSS.txt"; the
// second started within the same second is "YYYYMMDD-HHMMSS-2.txt", then "-3" ...
struct THistoryFileName {
    std::string Stamp; // "YYYYMMDD-HHMMSS"
    unsigned Number = 1;
};

// False for any other name: the folder may hold files that are not the viewer's, and those are never
// touched.
bool ParseHistoryFileName(const std::string& name, THistoryFileName& parsed);
bool IsHistoryFileName(const std::string& name);

// The history files among the names, oldest first (by time, then by number: "-10" after "-9").
std::vector<std::string> HistoryFilesOldestFirst(const std::vector<std::string>& names);

// The name of a file started at now that none of the existing names holds, whatever their case.
std::string NewHistoryFileName(const TLineTime& now, const std::vector<std::string>& existing);
