#pragma once

#include "platform/Win32Handles.h"

#include <string>

namespace e2e {

// The running test program, and its folder ending in a backslash.
std::string OwnPath();
std::string OwnFolder();
// A new, empty folder under the temporary directory, ending in a backslash.
std::string MakeTempFolder();
// Deletes a folder this test made, with everything in it.
void RemoveFolder(const std::string& folder);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool ReadFileBytes(const std::string& path, std::string& bytes);
// The file's bytes, or "<absent>" so that a comparison fails visibly.
std::string FileOrAbsent(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// File names compare without regard to letter case, as the file system does.
bool SameFileName(const std::string& a, const std::string& b);

// Holds a file open with share mode 0, as another program might, so that nobody else can open it.
class LockedFile {
  public:
    // Opens an existing file, or creates it when createIfMissing is set; others may open it only as share
    // allows (by default not at all).
    LockedFile(const std::string& path, bool createIfMissing, DWORD share = 0);
    bool Held() const { return handle_.Valid(); }
    void Release() { handle_.Reset(); }

  private:
    TFileHandle handle_;
};

} // namespace e2e
