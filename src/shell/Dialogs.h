#pragma once

#include <string>

// The modal dialogs and the clipboard test that the user's commands need.
class IDialogs {
  public:
    virtual ~IDialogs() = default;

    // fileName comes in as the name to propose and goes out as the name
    // chosen; false when the user cancels.
    virtual bool ChooseFileToOpen(std::string& fileName) = 0;
    virtual bool ChooseFileToSave(std::string& fileName) = 0;
    virtual void ShowAbout() = 0;
    virtual bool ClipboardHasText() const = 0;
};
