#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "pane/PaneControl.h"

// An edit control held in a string, for tests.
class TMemoryPane : public IPaneControl {
  public:
    std::size_t TextLength() const override { return FText.size(); }
    std::string Text() const override {
        ++TextReads;
        return FText;
    }
    void Select(std::size_t start, std::size_t length) override {
        FSelStart = std::min(start, FText.size());
        FSelLength = std::min(length, FText.size() - FSelStart);
    }
    std::size_t SelectionLength() const override { return FSelLength; }
    std::size_t SelectionStart() const { return FSelStart; }
    void ReplaceSelection(const char* zeroTerminated) override {
        const std::string text(zeroTerminated);
        FText.replace(FSelStart, FSelLength, text);
        FSelStart += text.size();
        FSelLength = 0;
        ++ReplaceCount;
        if (OnChange)
            OnChange();
    }
    bool SetText(const std::string& text) override {
        if (text.size() > Capacity)
            return false;
        FText = text;
        FSelStart = FSelLength = 0;
        return true;
    }

    void CutToClipboard() override {
        CopyToClipboard();
        ReplaceSelection("");
    }
    void CopyToClipboard() override {
        if (FSelLength > 0)
            Clipboard = FText.substr(FSelStart, FSelLength);
    }
    void PasteFromClipboard() override { ReplaceSelection(Clipboard.c_str()); }

    // Called after each change, as an edit control notifies its parent.
    std::function<void()> OnChange;
    mutable int TextReads = 0;
    std::string Clipboard;
    std::size_t Capacity = static_cast<std::size_t>(-1);
    int ReplaceCount = 0;

  private:
    std::string FText;
    std::size_t FSelStart = 0;
    std::size_t FSelLength = 0;
};
