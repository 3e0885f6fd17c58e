#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Every "Edit" child of the viewer's main window; the viewer has exactly one, its message pane.
int CountEditChildren(HWND viewer);
HWND FindPane(HWND viewer);
// Reads the whole pane text through WM_GETTEXTLENGTH / WM_GETTEXT; false when the pane is missing or the
// viewer does not answer.
bool ReadPane(HWND viewer, std::string& text);
// The pane text, or "<no pane>" so that a comparison fails visibly.
std::string PaneText(HWND viewer);

// Sends a message and waits at most timeoutMs for the answer; false when the viewer did not answer in time.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                     DWORD timeoutMs = 10000);

} // namespace e2e
