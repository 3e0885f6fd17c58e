#pragma once

#include <string>
#include <string_view>

class IFileSystem;
class TPaneBuffer;

// The pane's operations on its text. File failures are raised as
// TViewerError with the message the user sees.
class TMessagePane {
  public:
    TMessagePane(TPaneBuffer& pane, IFileSystem& files) : FPane(pane), FFiles(files) {}

    void DoPrint(const std::string& text) { Print(std::string_view(), text); }
    // A line whose origin the pane shows in front of its text.
    void Print(std::string_view prefix, std::string_view text);
    void DoClear();
    void DoLoadFromFile(const std::string& fileName);
    void DoSaveToFile(const std::string& fileName);

  private:
    TPaneBuffer& FPane;
    IFileSystem& FFiles;
};

// True when fileName can be written: an existing file opens for writing, or
// a new one can be created (and is removed again at once).
bool CanWriteFile(IFileSystem& files, const std::string& fileName);
