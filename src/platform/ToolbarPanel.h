#pragma once

#include <windows.h>

#include "platform/Commands.h"
#include "platform/Win32Handles.h"

// The panel across the top of the main window with the image buttons and
// the switches' check boxes. It passes their notifications on to the main
// window, which calls back here to draw the buttons.
//
// The panel comes first and its controls later: making them is a good part
// of the viewer's start-up under Wine, and clients need not wait for it.
// Check marks set before then are shown once the controls exist.
class TToolbarPanel {
  public:
    static bool RegisterWindowClass(HINSTANCE instance);
    bool Create(HWND parent, HINSTANCE instance, int dpi);
    bool CreateControls();

    HWND Handle() const { return FPanel; }
    bool IsVisible() const;
    void SetVisible(bool visible);
    void SetChecked(TCheckBoxId box, bool checked);
    bool IsChecked(TCheckBoxId box) const;
    void DrawImageButton(const DRAWITEMSTRUCT& item) const;
    int Scaled(int pixels) const { return ::MulDiv(pixels, FDpi, 96); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND Control(TCommandId id) const { return ::GetDlgItem(FPanel, id); }

    HWND FPanel = nullptr;
    HINSTANCE FInstance = nullptr;
    int FDpi = 96;
    // By TCheckBoxId; the boxes start checked.
    bool FChecked[4] = {true, true, true, true};
    TGdiObject FFont;
    // By slot; check boxes have none.
    TGdiObject FPictures[ToolbarControlCount];
};
