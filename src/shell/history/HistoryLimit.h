#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/history/HistoryDisk.h"

// The setting that bounds the history folder, in megabytes of 1048576 bytes; "0" switches the history
// off.
extern const char* const HistoryLimitSetting;
extern const char* const DefaultHistoryLimit;

// What the setting allows, in bytes; 0 when the history is off. A number is decimal digits with blanks
// (spaces, tabs) around them if any; anything else ("", "-5", "1e3", "12 MB") gives the default. A number
// above MostHistoryLimitMB counts as that.
const std::uint64_t MostHistoryLimitMB = 1048576; // 1 TiB
std::uint64_t HistoryLimitBytes(const std::string& setting);

// A file is closed and the next one started once it holds this much: 16 MiB, or half the limit where the
// limit is below 32 MiB, so that the file being written and the one before it fit within it.
std::uint64_t HistoryRotationBytes(std::uint64_t limitBytes);

// The history files to remove, oldest first, so that the rest, with room for the file being written to
// grow to its full size, stay within the limit. Files of other names are ignored; current (the file being
// written, or empty before the first) is never chosen.
std::vector<std::string> HistoryFilesToRemove(const std::vector<THistoryFile>& files,
                                              const std::string& current, std::uint64_t limitBytes);
