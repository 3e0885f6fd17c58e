#pragma once

#include <windows.h>

#include "shell/Dialogs.h"

// The Open and Save dialogs, the About box and the clipboard, owned by the
// main window.
class TWin32Dialogs : public IDialogs {
  public:
    void SetOwner(HWND owner) { FOwner = owner; }

    bool ChooseFileToOpen(std::string& fileName) override;
    bool ChooseFileToSave(std::string& fileName) override;
    void ShowAbout() override;
    bool ClipboardHasText() const override;

  private:
    bool ChooseFile(bool forSaving, std::string& fileName);

    HWND FOwner = nullptr;
};
