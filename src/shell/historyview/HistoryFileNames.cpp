#include "shell/historyview/HistoryFileNames.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

struct TOrderedFile {
    // "YYYYMMDD-HHMMSS": compared as text, this orders by time.
    std::string Time;
    // 1 for the first file of its second.
    std::uint32_t Number = 1;
    const THistoryFileEntry* Entry = nullptr;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Number(const std::string& text, std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

bool EndsWithTxt(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == ".txt";
}

// Windows compares names without regard to case, so ".TXT" is accepted; the digits must make a real
// date and time, so that a foreign file of a similar shape is not taken for part of the history.
bool Recognise(const THistoryFileEntry& entry, TOrderedFile& file) {
    const std::string& name = entry.Name;
    if (name.size() < 19 || !EndsWithTxt(name) || name[8] != '-')
        return false;
    for (std::size_t i = 0; i < 15; ++i)
        if (i != 8 && !IsDigit(name[i]))
            return false;
    const int month = Number(name, 4, 2), day = Number(name, 6, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || Number(name, 9, 2) > 23 ||
        Number(name, 11, 2) > 59 || Number(name, 13, 2) > 59)
        return false;
    file.Time = name.substr(0, 15);
    file.Number = 1;
    file.Entry = &entry;
    const std::size_t suffixEnd = name.size() - 4;
    if (suffixEnd == 15)
        return true;
    // "-N" with N from 2, without leading zeros, short enough to fit.
    const std::size_t digits = suffixEnd - 16;
    if (name[15] != '-' || digits < 1 || digits > 9 || name[16] == '0')
        return false;
    for (std::size_t i = 16; i < suffixEnd; ++i)
        if (!IsDigit(name[i]))
            return false;
    file.Number = static_cast<std::uint32_t>(Number(name, 16, digits));
    return file.Number >= 2;
}

} // namespace

std::vector<THistoryFileEntry> HistoryFilesInOrder(const std::vector<THistoryFileEntry>& listing) {
    std::vector<TOrderedFile> recognised;
    for (const THistoryFileEntry& entry : listing) {
        TOrderedFile file;
        if (Recognise(entry, file))
            recognised.push_back(file);
    }
    std::sort(recognised.begin(), recognised.end(), [](const TOrderedFile& a, const TOrderedFile& b) {
        return a.Time != b.Time ? a.Time < b.Time : a.Number < b.Number;
    });
    std::vector<THistoryFileEntry> ordered;
    ordered.reserve(recognised.size());
    for (const TOrderedFile& file : recognised)
        ordered.push_back(*file.Entry);
    return ordered;
}
