#pragma once

#include <string>

#include "shell/historyview/HistoryFolder.h"

// A history folder on the disk, named in the system's code page like the log file it belongs to. Every
// read opens the file, reads and closes it again, sharing it for reading, writing and deletion: the
// history's writer goes on appending to the newest file and removing the oldest while the window reads.
class TWin32HistoryFolder : public IHistoryFolder {
  public:
    explicit TWin32HistoryFolder(std::string folder) : FFolder(std::move(folder)) {}

    const std::string& Path() const { return FFolder; }
    bool ListFiles(std::vector<THistoryFileEntry>& files) override;
    bool ReadFile(const std::string& name, std::uint64_t offset, char* buffer, std::size_t size,
                  std::size_t& read) override;

  private:
    std::string FilePath(const std::string& name) const;

    const std::string FFolder;
};
