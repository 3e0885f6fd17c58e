#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/Win32Handles.h"
#include "shell/historyview/HistoryFolder.h"

// A history folder on the disk, named in the system's code page like the log file it belongs to. Files are
// opened sharing them for reading, writing and deletion: the history's writer goes on appending to the
// newest file and removing the oldest while the window reads.
//
// A read opens the file, reads and closes it again; only the thread that reads the files from end to end
// (the model's background thread) keeps the file it reads open from one block to the next, and closes it
// when it moves to another file or rests. A file held open stays in the folder's listing after the writer
// removed it, until it is closed (Windows removes the name with the last handle), and the writer would
// count it against its limit: no file is held for longer than its reading takes.
class TWin32HistoryFolder : public IHistoryFolder {
  public:
    explicit TWin32HistoryFolder(std::string folder) : FFolder(std::move(folder)) {}

    const std::string& Path() const { return FFolder; }
    bool ListFiles(std::vector<THistoryFileEntry>& files) override;
    bool ReadFile(const std::string& name, std::uint64_t offset, char* buffer, std::size_t size,
                  std::size_t& read) override;

    // The calling thread keeps the file it reads open; CloseKeptFile lets it go, on that thread.
    void KeepFilesOpen() { FKeeper = ::GetCurrentThreadId(); }
    void CloseKeptFile();

  private:
    std::string FilePath(const std::string& name) const;
    TFileHandle Open(const std::string& name) const;

    const std::string FFolder;
    std::atomic<DWORD> FKeeper{0};
    // The keeper's own.
    std::string FKeptName;
    TFileHandle FKept;
};
