#include "shell/history/HistoryNames.h"

#include <algorithm>
#include <cstddef>

#include "shell/history/HistoryEntry.h"

namespace {
const char* const FolderSuffix = ".history";
const char* const FileExtension = ".txt";
const std::size_t StampLength = 15;
// Nine digits cannot overflow an unsigned; no folder ever holds that many files of one second.
const std::size_t MostNumberDigits = 9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Digits(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// The digits must make a real date and time, so that a foreign file of a similar shape is not taken for
// part of the history (and never removed by its limit).
bool IsStamp(const std::string& name) {
    if (name.size() < StampLength || name[8] != '-')
        return false;
    for (std::size_t i = 0; i < StampLength; ++i)
        if (i != 8 && !IsDigit(name[i]))
            return false;
    const int month = Digits(name, 4, 2), day = Digits(name, 6, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && Digits(name, 9, 2) <= 23 &&
           Digits(name, 11, 2) <= 59 && Digits(name, 13, 2) <= 59;
}

// Only what the viewer writes: no leading zero, and never "-0" or "-1" (the first file has no number).
bool ParseNumber(const std::string& digits, unsigned& number) {
    if (digits.empty() || digits.size() > MostNumberDigits || digits[0] == '0')
        return false;
    unsigned value = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 2)
        return false;
    number = value;
    return true;
}

bool Older(const THistoryFileName& a, const THistoryFileName& b) {
    if (a.Stamp != b.Stamp)
        return a.Stamp < b.Stamp;
    return a.Number < b.Number;
}

std::string Lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Stamp(const TLineTime& time) {
    std::string date;
    AppendHistoryTime(date, time); // "YYYY-MM-DD HH:MM:SS.mmm"
    return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2) + "-" + date.substr(11, 2) +
           date.substr(14, 2) + date.substr(17, 2);
}
} // namespace

std::string HistoryFolderFor(const std::string& logFile) {
    return logFile + FolderSuffix;
}

std::string HistoryFilePath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

bool ParseHistoryFileName(const std::string& name, THistoryFileName& parsed) {
    if (name.size() < StampLength + 4 || !IsStamp(name))
        return false;
    const std::size_t extension = name.size() - 4;
    if (name.compare(extension, 4, FileExtension) != 0)
        return false;
    unsigned number = 1;
    if (extension != StampLength) {
        if (name[StampLength] != '-' ||
            !ParseNumber(name.substr(StampLength + 1, extension - StampLength - 1), number))
            return false;
    }
    parsed.Stamp = name.substr(0, StampLength);
    parsed.Number = number;
    return true;
}

bool IsHistoryFileName(const std::string& name) {
    THistoryFileName parsed;
    return ParseHistoryFileName(name, parsed);
}

std::vector<std::string> HistoryFilesOldestFirst(const std::vector<std::string>& names) {
    std::vector<std::pair<THistoryFileName, std::string>> files;
    for (const std::string& name : names) {
        THistoryFileName parsed;
        if (ParseHistoryFileName(name, parsed))
            files.emplace_back(parsed, name);
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return Older(a.first, b.first); });
    std::vector<std::string> sorted;
    sorted.reserve(files.size());
    for (auto& file : files)
        sorted.push_back(std::move(file.second));
    return sorted;
}

// Windows compares file names without regard to case: "X.TXT" takes the place of "x.txt".
std::string NewHistoryFileName(const TLineTime& now, const std::vector<std::string>& existing) {
    std::vector<std::string> taken;
    taken.reserve(existing.size());
    for (const std::string& name : existing)
        taken.push_back(Lowered(name));
    const std::string stamp = Stamp(now);
    for (unsigned number = 1;; ++number) {
        const std::string name = stamp + (number == 1 ? "" : "-" + std::to_string(number)) + FileExtension;
        if (std::find(taken.begin(), taken.end(), name) == taken.end())
            return name;
    }
}
