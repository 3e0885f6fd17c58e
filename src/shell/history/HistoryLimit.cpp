#include "shell/history/HistoryLimit.h"

#include <algorithm>

#include "dravik/protocol.h"
#include "shell/history/HistoryNames.h"

const char* const HistoryLimitSetting = DRAVIK_VALUE_HISTORY_LIMIT;
const char* const DefaultHistoryLimit = "256";

namespace {
const std::uint64_t MegaByte = 1048576;
const std::uint64_t LargestFile = 16 * MegaByte;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// False for anything but digits within blanks. Digits past the cap only keep it there, so no number
// however long can overflow.
bool ParseMegaBytes(const std::string& text, std::uint64_t& megaBytes) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin == end)
        return false;
    std::uint64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = std::min(value * 10 + static_cast<std::uint64_t>(text[i] - '0'), MostHistoryLimitMB + 1);
    }
    megaBytes = std::min(value, MostHistoryLimitMB);
    return true;
}
} // namespace

std::uint64_t HistoryLimitBytes(const std::string& setting) {
    std::uint64_t megaBytes = 0;
    if (!ParseMegaBytes(setting, megaBytes))
        ParseMegaBytes(DefaultHistoryLimit, megaBytes);
    return megaBytes * MegaByte;
}

std::uint64_t HistoryRotationBytes(std::uint64_t limitBytes) {
    return std::min(LargestFile, limitBytes / 2);
}

// The file being written counts with the size it may grow to: checked only when a file is started, the
// folder must not pass the limit while it fills.
std::vector<std::string> HistoryFilesToRemove(const std::vector<THistoryFile>& files,
                                              const std::string& current, std::uint64_t limitBytes) {
    std::vector<std::string> others;
    std::uint64_t othersSize = 0;
    std::uint64_t currentSize = 0;
    for (const THistoryFile& file : files) {
        if (!IsHistoryFileName(file.Name))
            continue;
        if (file.Name == current) {
            currentSize = file.Size;
            continue;
        }
        others.push_back(file.Name);
        othersSize += file.Size;
    }
    std::uint64_t total = othersSize + std::max(currentSize, HistoryRotationBytes(limitBytes));
    std::vector<std::string> chosen;
    for (const std::string& name : HistoryFilesOldestFirst(others)) {
        if (total <= limitBytes)
            break;
        const auto file =
            std::find_if(files.begin(), files.end(), [&](const THistoryFile& f) { return f.Name == name; });
        total -= file->Size;
        chosen.push_back(name);
    }
    return chosen;
}
