#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file of the history folder as a listing gives it: the name without the folder, and its size then.
struct THistoryFileEntry {
    std::string Name;
    std::uint64_t Size = 0;
};

// What the History window needs of the folder that keeps every line. The window's threads call it at the
// same time (the background work reads blocks while the window reads the rows it draws), so each call
// must stand on its own: open, read, close, or a handle of its own per call.
class IHistoryFolder {
  public:
    virtual ~IHistoryFolder() = default;

    // Every regular file in the folder, in any order; the caller picks the history's own names. False
    // when the folder cannot be listed (it does not exist yet, or access is refused).
    virtual bool ListFiles(std::vector<THistoryFileEntry>& files) = 0;
    // Reads up to size bytes from offset of the named file into buffer and sets read to how many came
    // (fewer only at the end of the file). False when the file cannot be opened or read.
    virtual bool ReadFile(const std::string& name, std::uint64_t offset, char* buffer, std::size_t size,
                          std::size_t& read) = 0;
};
