#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct THistoryFile {
    std::string Name;
    std::uint64_t Size = 0;
};

// The disk as the history's writer needs it, called on the writer's thread only. Names are in the
// system's code page like the log file's; a call that fails gives the system's reason.
class IHistoryDisk {
  public:
    virtual ~IHistoryDisk() = default;

    // Creates the folder where it does not exist yet. True when it is there afterwards.
    virtual bool CreateFolder(const std::string& folder, std::string& reason) = 0;
    // The files directly in the folder (not its folders), by name without the folder, with their sizes.
    virtual bool ListFolder(const std::string& folder, std::vector<THistoryFile>& files,
                            std::string& reason) = 0;

    enum class TCreate { Created, Exists, Failed };
    // Creates an empty file; Exists where something of that name is there already.
    virtual TCreate CreateNewFile(const std::string& path, std::string& reason) = 0;
    // Appends the bytes at the file's end, creating the file where it has gone, and returns how many it
    // wrote: fewer than size is a failure, with its reason.
    virtual std::size_t Append(const std::string& path, const char* bytes, std::size_t size,
                               std::string& reason) = 0;
    // False where the file cannot be removed; the writer then goes on without.
    virtual bool RemoveFile(const std::string& path) = 0;
};
