#pragma once

#include <windows.h>

#include <exception>
#include <memory>

#include "pane/PaneBuffer.h"
#include "platform/EditPane.h"
#include "platform/PopupMenu.h"
#include "platform/ToolbarPanel.h"
#include "platform/Win32Clock.h"
#include "platform/Win32Dialogs.h"
#include "platform/Win32FileSystem.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Registry.h"
#include "shell/DebugForm.h"
#include "shell/MainWindow.h"

class TMapList;

// The viewer's main window: the Win32 side of TfrmDebug. The window
// procedure only unpacks messages and calls the named handlers; every
// handler runs under the general error display.
class TfrmDebugWindow : public IMainWindow {
  public:
    explicit TfrmDebugWindow(TMapList& maps);
    ~TfrmDebugWindow() override;
    TfrmDebugWindow(const TfrmDebugWindow&) = delete;
    TfrmDebugWindow& operator=(const TfrmDebugWindow&) = delete;

    static bool RegisterWindowClass(HINSTANCE instance);
    bool Create(HINSTANCE instance);
    // Runs the start-up sequence and shows the window as it asks.
    // Returns false when the program is to end without an event loop.
    bool Start();
    bool TerminationRequested() const { return FTerminationRequested; }
    HWND Handle() const { return FWindow; }
    // The menu's shortcuts while the pane has the focus, and the toolbar's
    // accelerator letters while it is shown. True when the message was used.
    bool TranslateShortcut(MSG& message);

    // IMainWindow
    void BeginInstanceCheck() override;
    void EndInstanceCheck() override;
    std::string ClassName() const override;
    void SetTitle(const std::string& title) override;
    TWindowId FindTopLevelWindow(const std::string& className, const std::string& title) const override;
    void BringToTop(TWindowId window) override;
    void RequestTermination() override { FTerminationRequested = true; }
    void SetTopmost(bool topmost) override;
    bool IsTopmost() const override;
    void SetToolbarVisible(bool visible) override;
    bool IsToolbarVisible() const override;
    void ShowCheckBox(TCheckBoxId box, bool checked) override;
    TPlacement Placement() const override;
    void SetPlacement(const TPlacement& placement) override;
    TWindowState WindowState() const override;
    void SetWindowState(TWindowState state) override;
    void ReleaseSender() override;
    void ShowErrorBox(const std::string& text) override;
    void ShowInformationBox(const std::string& text) override;

  private:
    // The pane's control id, for its change notices.
    static constexpr WORD PaneId = 100;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Message handlers.
    bool FormCreateControls();
    bool CreatePane();
    void FinishHiddenWindow();
    void FormClose();
    bool FormQueryEndSession();
    void FormEndSession(bool ending);
    void FormResize();
    void FormDestroy();
    void ClientCommand(UINT message);
    void Command(WORD id, WORD notification, HWND control);
    void ToolbarAccelerator(TCommandId id);
    void ContextMenu(HWND source, LPARAM position);
    void DrawItem(const DRAWITEMSTRUCT& item);
    void Timer(UINT_PTR id);
    void RefreshTimer();
    void ScrollBarTimer();

    // Brings the edit control in step with the pane's text now.
    void SyncPane();
    // After a print: shows the pane's text at once after a quiet moment,
    // else at the latest one refresh interval after the previous showing.
    void ScheduleRefresh();
    // While prints keep arriving, draws the end of the text over the control
    // that is left behind; once they stop, or the control has been behind
    // for too long, brings the control in step.
    void RefreshPane();
    // Paints the control's client area for a WM_PAINT while the control is
    // behind the pane's text; false when the text cannot be drawn that way.
    bool PaintPaneAhead();
    void MarkPaneAhead();

    static LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);

    // Runs one handler; whatever it raises goes to the general error display.
    template <typename THandler> bool Guarded(THandler&& handler) {
        try {
            handler();
            return true;
        } catch (const std::exception& error) {
            ShowUnexpectedError(error.what());
        } catch (...) {
            ShowUnexpectedError("Unknown error");
        }
        return false;
    }
    void ShowUnexpectedError(const char* message);

    int Scaled(int pixels) const;

    HWND FWindow = nullptr;
    HINSTANCE FInstance = nullptr;
    TToolbarPanel FToolbar;
    TPopupMenu FPopupMenu;
    TAccelerators FMenuShortcuts;
    TAccelerators FToolbarMnemonics;
    TWin32Dialogs FDialogs;
    TGdiObject FPaneFont;
    TKernelHandle FInstanceCheckTurn;
    TEditPane FPane;
    WNDPROC FPaneControlProc = nullptr;
    TPaneBuffer FBuffer{FPane};
    DWORD FLastRefresh = 0;
    bool FRefreshTimerArmed = false;
    bool FSyncingPane = false;
    // The picture shows text the control does not hold yet, since FAheadSince.
    bool FPaneAhead = false;
    DWORD FAheadSince = 0;
    bool FPrintedSinceRefresh = false;
    bool FPaintingPane = false;
    bool FCaretHidden = false;
    DWORD FLastScrollBarDraw = 0;
    bool FScrollBarsWaiting = false;
    TWin32FileSystem FFiles;
    TWin32SettingsRegistry FRegistry;
    TWin32Clock FClock;
    std::unique_ptr<TfrmDebug> FForm;
    // Start-up has shown the window; until then some requests wait for it.
    bool FShown = false;
    TWindowState FPendingState = TWindowState::Normal;
    bool FPendingTopmost = false;
    bool FTerminationRequested = false;
    int FDpi = 96;
};
