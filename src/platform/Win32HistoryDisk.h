#pragma once

#include "shell/history/HistoryDisk.h"

// The history's folder and files on the system's disk. Every file is opened sharing read, write and delete
// access, so that a reader (the History window, an editor, a log shipper) can read it, and remove it, while
// the viewer writes; each append opens the file anew, so a file removed meanwhile is started again.
class TWin32HistoryDisk : public IHistoryDisk {
  public:
    bool CreateFolder(const std::string& folder, std::string& reason) override;
    bool ListFolder(const std::string& folder, std::vector<THistoryFile>& files,
                    std::string& reason) override;
    TCreate CreateNewFile(const std::string& path, std::string& reason) override;
    std::size_t Append(const std::string& path, const char* bytes, std::size_t size,
                       std::string& reason) override;
    bool RemoveFile(const std::string& path) override;
};
