#pragma once

#include <windows.h>

#include "platform/Commands.h"
#include "platform/Win32Handles.h"

// The panel across the top of the main window with the image buttons and
// the switches' check boxes. It passes their notifications on to the main
// window, which calls back here to draw the buttons.
class TToolbarPanel {
public:
    static bool RegisterWindowClass(HINSTANCE instance);
    bool Create(HWND parent, HINSTANCE instance, int dpi);

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
    int FDpi = 96;
    TGdiObject FFont;
    TGdiObject FPictures[5];
};
