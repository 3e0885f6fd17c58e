#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// A message box ("#32770" dialog) shown by the given process, or nullptr.
HWND FindMessageBox(DWORD processId);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);

std::string BoxCaption(HWND box);
// The text of the box's message, the static control 0xFFFF.
std::string BoxText(HWND box);
// Whether the box shows the system's stop (hand) icon, judged by its pixels on the screen: another
// process's icon handle cannot be inspected.
bool BoxShowsIcon(HWND box, LPCSTR systemIcon);

// Posts IDOK and waits for the box to go away.
bool DismissBox(HWND box, DWORD timeoutMs = 5000);

} // namespace e2e
