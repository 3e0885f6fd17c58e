#pragma once

#include <string>

class IFileSystem;
class IPaneControl;

// The pane's operations on its text control. File failures are raised as
// TViewerError with the message the user sees.
class TMessagePane {
  public:
    TMessagePane(IPaneControl& control, IFileSystem& files) : FControl(control), FFiles(files) {}

    void DoPrint(const std::string& text);
    void DoClear();
    void DoLoadFromFile(const std::string& fileName);
    void DoSaveToFile(const std::string& fileName);

  private:
    IPaneControl& FControl;
    IFileSystem& FFiles;
};

// True when fileName can be written: an existing file opens for writing, or
// a new one can be created (and is removed again at once).
bool CanWriteFile(IFileSystem& files, const std::string& fileName);
