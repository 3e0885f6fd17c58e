#include "shell/historyview/HistoryFileNames.h"

#include <string>
#include <unordered_map>

#include "shell/history/HistoryNames.h"

// The window shows exactly the files the history's writer names and its limit counts.
std::vector<THistoryFileEntry> HistoryFilesInOrder(const std::vector<THistoryFileEntry>& listing) {
    std::vector<std::string> names;
    std::unordered_map<std::string, const THistoryFileEntry*> byName;
    names.reserve(listing.size());
    for (const THistoryFileEntry& entry : listing) {
        names.push_back(entry.Name);
        byName.emplace(entry.Name, &entry);
    }
    std::vector<THistoryFileEntry> ordered;
    for (const std::string& name : HistoryFilesOldestFirst(names))
        ordered.push_back(*byName.at(name));
    return ordered;
}
