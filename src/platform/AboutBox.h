#pragma once

#include <windows.h>

// Shows the About box modally, owned by owner; it is gone when this returns.
void ShowAboutBox(HWND owner);
