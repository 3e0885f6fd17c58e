#pragma once

#include <windows.h>

#include "pane/PaneControl.h"

// The pane as a multi-line EDIT control.
class TEditPane : public IPaneControl {
  public:
    void Attach(HWND edit) { FEdit = edit; }
    HWND Handle() const { return FEdit; }

    std::size_t TextLength() const override;
    std::string Text() const override;
    void Select(std::size_t start, std::size_t length) override;
    std::size_t SelectionLength() const override;
    void ReplaceSelection(const char* text) override;
    bool SetText(const std::string& text) override;

    // Edits made between BeginBatch and EndBatch are laid out but not drawn;
    // EndBatch draws the result once. Scroll bars that changed are drawn too
    // when drawScrollBars allows; otherwise EndBatch returns true and they
    // wait for RedrawScrollBars.
    void BeginBatch();
    bool EndBatch(bool drawScrollBars);
    void RedrawScrollBars();
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void PasteFromClipboard() override;

  private:
    HWND FEdit = nullptr;
    LONG FBatchStyle = 0;
    bool FInBatch = false;
    SCROLLINFO FBatchScroll[2] = {};
};
