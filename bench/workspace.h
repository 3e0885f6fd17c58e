#pragma once

#include <string>

namespace bench {

// The folder this program runs from, with a trailing backslash: the viewers are built beside it.
std::string OwnFolder();
std::string OwnPath();

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    bool Valid() const { return !path_.empty(); }
    // With a trailing backslash.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

bool WriteWholeFile(const std::string& path, const std::string& text);
// Removes the viewer's settings, so that it starts with its default placement and stays on top.
bool DeleteViewerSettings();
// Sets one of the viewer's settings, creating its key.
bool SetViewerSetting(const std::string& name, const std::string& value);

} // namespace bench
