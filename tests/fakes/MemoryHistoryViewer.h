#pragma once

#include <string>
#include <vector>

#include "shell/historyview/HistoryViewer.h"

// The History window as the form sees it: the folders it was opened on and told of.
class TMemoryHistoryViewer : public IHistoryViewer {
  public:
    std::vector<std::string> Shown;
    std::vector<std::string> Changed;

    void ShowHistory(const std::string& folder) override { Shown.push_back(folder); }
    void HistoryFolderChanged(const std::string& folder) override { Changed.push_back(folder); }
};
