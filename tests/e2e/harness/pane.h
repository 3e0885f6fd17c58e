#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Every "Edit" child of the viewer's main window; the viewer has exactly one, its message pane.
int CountEditChildren(HWND viewer);
HWND FindPane(HWND viewer);
// A window's whole text through WM_GETTEXTLENGTH / WM_GETTEXT, which also reach controls of another process;
// false when the window is missing or does not answer.
bool ReadWindowText(HWND window, std::string& text);
// The window's text, or "<none>" so that a comparison fails visibly.
std::string TextOfWindow(HWND window);
bool ReadPane(HWND viewer, std::string& text);
// The pane text, or "<no pane>".
std::string PaneText(HWND viewer);

// Sends a message and waits at most timeoutMs for the answer; false when the viewer did not answer in time.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                     DWORD timeoutMs = 10000);

} // namespace e2e
