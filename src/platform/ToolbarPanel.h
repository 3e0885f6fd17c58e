#pragma once

#include <windows.h>

// The panel across the top of the main window that holds the toolbar's
// controls. It passes their notifications on to the main window.
class TToolbarPanel {
public:
    static bool RegisterWindowClass(HINSTANCE instance);
    static HWND Create(HWND parent, HINSTANCE instance);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
