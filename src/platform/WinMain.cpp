#include <windows.h>

#include "channel/MapList.h"
#include "platform/DebugWindow.h"
#include "platform/Win32SharedMemory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The region list lives for the whole process, outside the window.
    TWin32SharedMemory sharedMemory;
    TMapList MapList(sharedMemory);

    if (!TfrmDebugWindow::RegisterWindowClass(instance))
        return 1;
    TfrmDebugWindow mainWindow(MapList);
    if (!mainWindow.Create(instance))
        return 1;
    if (!mainWindow.Start())
        return 0;

    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.TranslateShortcut(message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    // A termination request ends the program here without the close
    // sequence: the window is destroyed, nothing more is saved.
    return static_cast<int>(message.wParam);
}
