#pragma once

#include <windows.h>

#include "pane/PaneBuffer.h"
#include "pane/PanePacing.h"
#include "platform/EditPane.h"
#include "platform/Guarded.h"
#include "platform/Win32Handles.h"

// The message pane on the screen: the edit control, the pane's text in
// memory that it follows, and when and how it follows. Everything that
// reaches the control passes here first, so that the control is in step
// with the text before anything reads or changes it.
class TPaneView : private IPaneScreen {
  public:
    explicit TPaneView(IErrorDisplay& errors) : FErrors(errors) { FBuffer.AwaitControl(); }
    TPaneView(const TPaneView&) = delete;
    TPaneView& operator=(const TPaneView&) = delete;

    // Makes the control; its context menu requests go to the parent.
    bool Create(HWND parent, HINSTANCE instance, WORD id, int dpi);
    HWND Handle() const { return FEdit.Handle(); }
    // The pane's text, as the viewer's operations see and change it.
    TPaneBuffer& Text() { return FBuffer; }
    bool IsPaneNotice(WORD id, HWND control) const { return id == FId && control == FEdit.Handle(); }
    // The control's change notice from the parent.
    void Notice(WORD notification);

    // When the control follows the text; Sync brings it in step now.
    TPanePacing& Pacing() { return FPacing; }
    void Sync() { FPacing.Sync(); }
    // A command has been handled: a print may be drawn ahead of the control.
    void CommandHandled(bool wasPrint) { FPacing.Changed(wasPrint); }

  private:
    static LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool PaintAhead();

    // IPaneScreen
    void BeginBatch() override { FEdit.BeginBatch(); }
    bool EndBatch(bool drawScrollBars) override { return FEdit.EndBatch(drawScrollBars); }
    void RedrawScrollBars() override { FEdit.RedrawScrollBars(); }
    bool StartTimer(TPaneTimer timer, unsigned milliseconds) override;
    void StopTimer(TPaneTimer timer) override;
    unsigned Now() const override { return ::GetTickCount(); }
    void RepaintAhead() override;
    void ControlInStep() override;

    IErrorDisplay& FErrors;
    TEditPane FEdit;
    TPaneBuffer FBuffer{FEdit};
    TPanePacing FPacing{FBuffer, *this};
    WNDPROC FControlProc = nullptr;
    WORD FId = 0;
    TGdiObject FFont;
    bool FPainting = false;
    bool FCaretHidden = false;
};
