#pragma once

#include <windows.h>

#include <memory>

#include "platform/Guarded.h"
#include "platform/HistoryWindow.h"
#include "platform/NetworkDialog.h"
#include "platform/PaneView.h"
#include "platform/PopupMenu.h"
#include "platform/ToolbarPanel.h"
#include "platform/Win32Clock.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32Dialogs.h"
#include "platform/Win32FileSystem.h"
#include "platform/Win32Handles.h"
#include "platform/Win32History.h"
#include "platform/Win32InstanceCheck.h"
#include "platform/Win32ProcessNames.h"
#include "platform/Win32RecoveryWriter.h"
#include "platform/Win32Registry.h"
#include "platform/Win32SyslogForwarder.h"
#include "platform/Win32SyslogReceiver.h"
#include "platform/Win32WindowsOutput.h"
#include "shell/DebugForm.h"
#include "shell/MainWindow.h"

class TMapList;

// The viewer's main window: the Win32 side of TfrmDebug. The window
// procedure only unpacks messages and calls the named handlers; every
// handler runs under the general error display. The message pane is a view
// of its own (TPaneView).
class TfrmDebugWindow : public IWindowSwitches,
                        public IWindowPlacement,
                        public IMessageBoxes,
                        public IErrorDisplay {
  public:
    explicit TfrmDebugWindow(TMapList& maps);
    ~TfrmDebugWindow() override;
    TfrmDebugWindow(const TfrmDebugWindow&) = delete;
    TfrmDebugWindow& operator=(const TfrmDebugWindow&) = delete;

    // The start-up's steps, in this order.
    static bool RegisterWindowClass(HINSTANCE instance);
    bool Create(HINSTANCE instance);
    // Runs the start-up sequence; false when the program is to end at once.
    bool RunFormCreate();
    // Making the controls, filling the pane and showing the window take Wine
    // a good part of the whole start-up; the pane's text is ready without
    // them. Clients that found the window meanwhile are answered first.
    // False when the window is gone by then.
    bool AnswerWaitingClients();
    bool CreatePane();
    bool CreateToolbarControls() { return FToolbar.CreateControls(); }
    void Show();
    // The menu's shortcuts while the pane has the focus, and the toolbar's
    // accelerator letters while it is shown. True when the message was used.
    bool TranslateShortcut(MSG& message);

    // IWindowSwitches
    void SetTopmost(bool topmost) override;
    bool IsTopmost() const override;
    void SetToolbarVisible(bool visible) override;
    bool IsToolbarVisible() const override;
    void ShowCheckBox(TCheckBoxId box, bool checked) override;
    // IWindowPlacement
    TPlacement Placement() const override;
    void SetPlacement(const TPlacement& placement) override;
    TWindowState WindowState() const override;
    void SetWindowState(TWindowState state) override;
    // IMessageBoxes
    void ShowErrorBox(const std::string& text) override;
    void ShowInformationBox(const std::string& text) override;
    // IErrorDisplay
    void ShowUnexpectedError(const char* message) override;

  private:
    // The pane's control id, for its change notices.
    static constexpr WORD PaneId = 100;
    static constexpr UINT_PTR RecoveryTimerId = 1;
    // The history's writer has something for the pane.
    static constexpr UINT HistoryNoticeMessage = WM_APP + 24;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    template <typename THandler> bool Guarded(THandler&& handler) {
        return ::Guarded(*this, std::forward<THandler>(handler));
    }

    // Message handlers.
    bool FormCreateControls();
    void FormClose();
    bool FormQueryEndSession();
    void FormEndSession(bool ending);
    void FormResize();
    void FormDestroy();
    void ClientCommand(UINT message);
    void WindowsOutputArrived();
    void NetworkArrived(UINT message);
    void HistoryNotices();
    void Timer(UINT_PTR id);
    void RecoveryTimer();
    void Command(WORD id, WORD notification, HWND control);
    void ToolbarAccelerator(WORD id);
    void ContextMenu(HWND source, LPARAM position);
    void DrawItem(const DRAWITEMSTRUCT& item);

    int Scaled(int pixels) const;

    HWND FWindow = nullptr;
    TWin32InstanceCheck FInstanceCheck{FWindow};
    HINSTANCE FInstance = nullptr;
    TToolbarPanel FToolbar;
    TPopupMenu FPopupMenu;
    TAccelerators FMenuShortcuts;
    TWin32Dialogs FDialogs;
    TPaneView FPane{*this};
    TWin32FileSystem FFiles;
    TWin32SettingsRegistry FRegistry;
    TWin32Clock FClock;
    TWin32WindowsOutput FWindowsOutput;
    TWin32RecoveryWriter FRecoveryWriter{FFiles};
    TWin32SyslogReceiver FSyslogReceiver;
    TWin32SyslogForwarder FSyslogForwarder;
    TWin32NetworkDialog FNetworkDialog;
    TfrmHistoryWindow FHistoryWindow{FRegistry};
    TWin32ProcessNames FProcessNames;
    TWin32History FHistory;
    TWin32FromUtf8 FFromUtf8;
    std::unique_ptr<TfrmDebug> FForm;
    // Start-up has shown the window; until then some requests wait for it.
    bool FShown = false;
    TWindowState FPendingState = TWindowState::Normal;
    bool FPendingTopmost = false;
    bool FInRecoveryTimer = false;
    int FDpi = 96;
};
