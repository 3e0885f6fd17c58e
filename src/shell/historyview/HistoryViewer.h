#pragma once

#include <string>

// The History window as the viewer's form opens it: one per viewer, made by the platform.
class IHistoryViewer {
  public:
    virtual ~IHistoryViewer() = default;
    // Opens the window on the history in the folder, or brings the open one to the front; the Find box
    // gets the focus.
    virtual void ShowHistory(const std::string& folder) = 0;
    // The log file was switched: an open window shows the history in its folder from now on.
    virtual void HistoryFolderChanged(const std::string& folder) = 0;
};
