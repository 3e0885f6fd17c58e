#include <windows.h>

#include "channel/MapList.h"
#include "platform/DebugWindow.h"
#include "platform/Win32ErrorText.h"
#include "platform/Win32SharedMemory.h"
#include "shell/DebugForm.h"
#include "shell/ViewerStartup.h"

namespace {

class TWin32Startup : public IViewerStartup {
  public:
    TWin32Startup(HINSTANCE instance, TfrmDebugWindow& window) : FInstance(instance), FWindow(window) {}

    bool RegisterWindowClass() override { return Noted(TfrmDebugWindow::RegisterWindowClass(FInstance)); }
    bool CreateMainWindow() override { return Noted(FWindow.Create(FInstance)); }
    bool RunFormCreate() override { return FWindow.RunFormCreate(); }
    bool AnswerWaitingClients() override { return FWindow.AnswerWaitingClients(); }
    bool CreatePane() override { return Noted(FWindow.CreatePane()); }
    bool CreateToolbarControls() override { return Noted(FWindow.CreateToolbarControls()); }
    void ShowWindow() override { FWindow.Show(); }
    std::string LastErrorText() const override { return SystemErrorText(FLastError); }
    void ShowStartupError(const std::string& message) override {
        FWindow.ShowUnexpectedError(message.c_str());
    }

    int RunEventLoop() override {
        MSG message{};
        // Unicode, for the History window's boxes: characters beyond the system's code page reach them
        // whole, and the other windows get theirs converted as before.
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (FWindow.TranslateShortcut(message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        // A termination request ends the program here without the close
        // sequence: the window is destroyed, nothing more is saved.
        return static_cast<int>(message.wParam);
    }

  private:
    // Keeps the system's error code of a step that failed, before anything else can change it.
    bool Noted(bool succeeded) {
        FLastError = succeeded ? 0 : ::GetLastError();
        return succeeded;
    }

    HINSTANCE FInstance;
    TfrmDebugWindow& FWindow;
    DWORD FLastError = 0;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The region list lives for the whole process, outside the window.
    TWin32SharedMemory sharedMemory;
    TMapList MapList(sharedMemory);
    TfrmDebugWindow mainWindow(MapList);
    TWin32Startup startup(instance, mainWindow);
    return RunViewer(startup);
}
