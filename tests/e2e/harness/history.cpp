#include "history.h"

#include "wait.h"

#include "platform/Win32Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace e2e {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsTime(const std::string& text) {
    static const std::string pattern = "dddd-dd-dd dd:dd:dd.ddd";
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] == 'd' ? !IsDigit(text[i]) : text[i] != pattern[i])
            return false;
    return true;
}

// Shares writing and deleting: the viewer appends while this reads.
std::string SharedRead(const std::string& path) {
    std::string bytes;
    const TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[65536];
    DWORD got = 0;
    while (file.Valid() && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

} // namespace

std::string HistoryFolder(const std::string& logPath) {
    return logPath + ".history\\";
}

std::vector<std::string> HistoryFiles(const std::string& logPath) {
    const std::string folder = HistoryFolder(logPath);
    // "YYYYMMDD-HHMMSS.txt" sorts by its time; "-2", "-3" ... of the same second after it, by number.
    std::vector<std::pair<std::pair<std::string, long>, std::string>> files;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((folder + "*.txt").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return {};
    do {
        const std::string name = found.cFileName;
        if (name.size() >= 19 && IsDigit(name[0]))
            files.push_back(
                {{name.substr(0, 15), name.size() > 19 ? std::atol(name.c_str() + 16) : 1}, name});
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.second);
    return names;
}

std::vector<std::string> HistoryEntries(const std::string& logPath) {
    std::vector<std::string> entries;
    for (const std::string& name : HistoryFiles(logPath)) {
        const std::string bytes = SharedRead(HistoryFolder(logPath) + name);
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = bytes.substr(start, end - start);
            const std::size_t tab = line.find('\t');
            const bool wellFormed = tab != std::string::npos && IsTime(line.substr(0, tab)) &&
                                    line.find('\t', tab + 1) != std::string::npos &&
                                    line.find_first_of("\r\n") == std::string::npos;
            entries.push_back(wellFormed ? line.substr(tab + 1) : "<malformed> " + line);
        }
        if (start != bytes.size())
            entries.push_back("<malformed> " + bytes.substr(start));
    }
    return entries;
}

bool WaitForHistory(const std::string& logPath, std::size_t count, unsigned timeoutMs) {
    return WaitFor([&] { return HistoryEntries(logPath).size() >= count; }, timeoutMs);
}

} // namespace e2e
