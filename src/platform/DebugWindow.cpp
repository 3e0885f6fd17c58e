#include "platform/DebugWindow.h"

#include <exception>
#include <vector>

#include "channel/ClientCommands.h"
#include "common/ScopeGuard.h"
#include "dravik/protocol.h"
#include "platform/Commands.h"
#include "platform/Win32Paint.h"
#include "resource.h"

namespace {
const char* const WindowClassName = DRAVIK_WINDOW_CLASS;
const char* const InformationCaption = "Information";
const int ToolbarHeight = 57;
const TPlacement DesignedPlacement;
} // namespace

TfrmDebugWindow::TfrmDebugWindow(TMapList& maps)
    : FForm(std::make_unique<TfrmDebug>(TfrmDebugServices{
          FInstanceCheck, *this, *this, *this, FPane.Text(), FFiles, FRegistry, maps, FClock, FDialogs,
          FWindowsOutput, FRecoveryWriter, FHistoryWindow, FProcessNames, FHistory, FFromUtf8,
          TNetworkServices{FSyslogReceiver, FSyslogForwarder, FNetworkDialog}})) {
    FHistoryWindow.SetWrites(&FHistory);
}

TfrmDebugWindow::~TfrmDebugWindow() {
    if (FWindow)
        ::DestroyWindow(FWindow);
}

bool TfrmDebugWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TfrmDebugWindow::WindowProc;
    windowClass.hInstance = instance;
    // No icon yet: Wine spends milliseconds deriving the small one, which
    // the hidden window can do without until its clients are answered.
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    return ::RegisterClassExA(&windowClass) != 0 && TToolbarPanel::RegisterWindowClass(instance);
}

bool TfrmDebugWindow::Create(HINSTANCE instance) {
    FInstance = instance;
    const TWindowDc screen(nullptr);
    if (screen.Get())
        FDpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    // Found by clients and other viewers only once the start-up has made sure it is the only viewer.
    ::CreateWindowExA(0, WindowClassName, InstanceCheckTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      DesignedPlacement.Left, DesignedPlacement.Top, DesignedPlacement.Width,
                      DesignedPlacement.Height, nullptr, nullptr, instance, this);
    FWindowsOutput.SetWindow(FWindow);
    FSyslogReceiver.SetWindow(FWindow);
    FSyslogForwarder.SetWindow(FWindow);
    FHistoryWindow.SetOwner(instance, FWindow);
    FHistory.SetWindow(FWindow, HistoryNoticeMessage);
    if (!FWindow)
        return false;
    // Clients send the UTF-8 print only to a window with this mark; they find the window once its title
    // has changed, later in the start-up. Without it they print in the code page, as to an older viewer.
    ::SetPropA(FWindow, DRAVIK_UTF8_PROPERTY, reinterpret_cast<HANDLE>(1));
    return true;
}

bool TfrmDebugWindow::TranslateShortcut(MSG& message) {
    if (!FWindow)
        return false;
    // Alt with a toolbar control's underlined letter stands for a click on it, in this window (the History
    // window's keys are its own).
    const bool here = message.hwnd == FWindow || ::IsChild(FWindow, message.hwnd);
    if (message.message == WM_SYSKEYDOWN && here && IsToolbarVisible() && ::GetKeyState(VK_MENU) < 0 &&
        ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_SHIFT) >= 0) {
        if (const TCommand* command = FindToolbarMnemonic(static_cast<WORD>(message.wParam))) {
            ToolbarAccelerator(command->Id);
            return true;
        }
    }
    return ::GetFocus() == FPane.Handle() && ::TranslateAcceleratorW(FWindow, FMenuShortcuts.Get(), &message);
}

bool TfrmDebugWindow::RunFormCreate() {
    Guarded([this] { FForm->FormCreate(); });
    return !FForm->OtherInstanceFound();
}

bool TfrmDebugWindow::AnswerWaitingClients() {
    MSG pending{};
    ::PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return FWindow != nullptr;
}

bool TfrmDebugWindow::CreatePane() {
    return FPane.Create(FWindow, FInstance, PaneId, FDpi);
}

// What the window needs only once it is seen, done after the first clients
// have been answered: its icon, the switches that the start-up asked for
// while the window was hidden, its layout and the pane's text.
void TfrmDebugWindow::Show() {
    HICON icon = ::LoadIconA(FInstance, MAKEINTRESOURCEA(IDI_DRAVIK));
    if (!icon)
        icon = ::LoadIcon(nullptr, IDI_APPLICATION);
    ::SetClassLongPtrA(FWindow, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    if (FPendingTopmost)
        ::SetWindowPos(FWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FormResize();

    Guarded([this] { FForm->FormShow(FPane.Pacing()); });
    FShown = true;
    static const int showCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ::ShowWindow(FWindow, showCommands[static_cast<int>(FPendingState)]);
    ::UpdateWindow(FWindow);
    if (!::SetTimer(FWindow, RecoveryTimerId, RecoveryInterval, nullptr))
        Guarded([this] {
            FForm->RecoveryTimerUnavailable();
            FPane.CommandHandled(false);
        });
    if (FInstanceCheck.TerminationRequested())
        ::PostQuitMessage(0);
}

LRESULT CALLBACK TfrmDebugWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TfrmDebugWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->FWindow = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfrmDebugWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TfrmDebugWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsClientCommand(message)) {
        ClientCommand(message);
        return 0;
    }
    switch (message) {
    case WM_CREATE: {
        bool created = false;
        Guarded([this, &created] { created = FormCreateControls(); });
        return created ? 0 : -1;
    }
    case WM_SIZE:
        Guarded([this] { FormResize(); });
        return 0;
    case WM_COMMAND:
        Guarded([this, wParam, lParam] {
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        });
        return 0;
    case TWin32WindowsOutput::ArrivedMessage:
        WindowsOutputArrived();
        return 0;
    case TWin32SyslogReceiver::ArrivedMessage:
    case TWin32SyslogForwarder::NoticeMessage:
        NetworkArrived(message);
        return 0;
    case HistoryNoticeMessage:
        HistoryNotices();
        return 0;
    case WM_TIMER:
        Timer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        Guarded([this, wParam, lParam] { ContextMenu(reinterpret_cast<HWND>(wParam), lParam); });
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(FPane.Handle());
        return 0;
    case WM_CLOSE:
        Guarded([this] { FormClose(); });
        return 0;
    case WM_QUERYENDSESSION: {
        bool mayEnd = false;
        Guarded([this, &mayEnd] { mayEnd = FormQueryEndSession(); });
        return mayEnd ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        Guarded([this, wParam] { FormEndSession(wParam != FALSE); });
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    default:
        return ::DefWindowProcA(FWindow, message, wParam, lParam);
    }
}

void TfrmDebugWindow::ShowUnexpectedError(const char* message) {
    // The display itself must never let anything escape the window procedure.
    try {
        FForm->ShowException(std::string(message));
    } catch (...) {
        ::MessageBoxA(FWindow, "Unknown error.", ViewerTitle, MB_OK | MB_ICONSTOP);
    }
}

bool TfrmDebugWindow::FormCreateControls() {
    FDialogs.SetOwner(FWindow);
    FNetworkDialog.SetOwner(FWindow);
    if (!FToolbar.Create(FWindow, FInstance, FDpi) || !FPopupMenu.Create())
        return false;
    FMenuShortcuts = TAccelerators(CreateMenuShortcuts());
    return true;
}

void TfrmDebugWindow::FormResize() {
    RECT client{};
    ::GetClientRect(FWindow, &client);
    const int toolbarHeight = IsToolbarVisible() ? Scaled(ToolbarHeight) : 0;
    if (FToolbar.Handle())
        ::MoveWindow(FToolbar.Handle(), 0, 0, client.right, toolbarHeight, TRUE);
    if (FPane.Handle())
        ::MoveWindow(FPane.Handle(), 0, toolbarHeight, client.right,
                     client.bottom > toolbarHeight ? client.bottom - toolbarHeight : 0, TRUE);
}

void TfrmDebugWindow::FormClose() {
    if (FForm->FormCloseQuery())
        ::DestroyWindow(FWindow);
}

bool TfrmDebugWindow::FormQueryEndSession() {
    return FForm->FormQueryEndSession();
}

void TfrmDebugWindow::FormEndSession(bool ending) {
    FForm->FormEndSession(ending);
}

void TfrmDebugWindow::FormDestroy() {
    // Also when the window goes without the close sequence: the channel is
    // never kept from another reader by a window that is gone.
    FWindowsOutput.StopCapture();
    ::RemovePropA(FWindow, DRAVIK_UTF8_PROPERTY);
    ::SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    FWindow = nullptr;
    ::PostQuitMessage(0);
}

// A print's text is copied out of the region before anything else: its
// sender goes on at once, and the line takes its path while it does. Every
// other command sees the pane as it stands.
void TfrmDebugWindow::ClientCommand(UINT message) {
    Guarded([this, message] {
        TClientCommand command = FForm->ReadClientCommand(message);
        const bool print = IsPrint(command.Kind);
        if (print && ::InSendMessage())
            ::ReplyMessage(0);
        if (!print)
            FPane.Sync();
        FForm->HandleClientCommand(std::move(command));
        FPane.CommandHandled(print);
    });
}

// Windows' own debug output reaches the pane as client prints do, and the
// timer's tick prints the lines that waited too long for their rest.
void TfrmDebugWindow::WindowsOutputArrived() {
    Guarded([this] {
        if (FForm->WindowsOutputArrived(::GetTickCount()))
            FPane.CommandHandled(true);
    });
}

// Lines from the network, and the forwarder's notices, take the path of
// every line.
void TfrmDebugWindow::NetworkArrived(UINT message) {
    Guarded([this, message] {
        if (message == TWin32SyslogReceiver::ArrivedMessage)
            FForm->NetworkLinesArrived();
        else
            FForm->NetworkNoticesArrived();
        FPane.CommandHandled(true);
    });
}

void TfrmDebugWindow::HistoryNotices() {
    Guarded([this] {
        FForm->HistoryNotices();
        FPane.CommandHandled(false);
    });
}

void TfrmDebugWindow::Timer(UINT_PTR id) {
    if (id == TWin32WindowsOutput::TimerId) {
        WindowsOutputArrived();
        return;
    }
    // The recovery timer fires inside the modal loop of the error box that a
    // failed tick raises; it must not raise the next box inside that one.
    if (id == RecoveryTimerId && !FInRecoveryTimer) {
        const TFlagScope inTimer(FInRecoveryTimer);
        Guarded([this] { RecoveryTimer(); });
    }
}

// The pane's text is read where the viewer keeps it, not from the control,
// which need not be brought in step for it. A line the form printed must
// reach the control like a command's.
void TfrmDebugWindow::RecoveryTimer() {
    FForm->tmrRecoveryTimer();
    FPane.CommandHandled(false);
}

int TfrmDebugWindow::Scaled(int pixels) const {
    return ::MulDiv(pixels, FDpi, 96);
}

// Until the window is shown, the switch waits for Show: it
// costs Wine a round of window changes that the clients need not wait for.
void TfrmDebugWindow::SetTopmost(bool topmost) {
    if (!FShown) {
        FPendingTopmost = topmost;
        return;
    }
    // The History window, which the main window owns, comes along.
    FHistoryWindow.SetTopmostWithOwner(topmost);
}

bool TfrmDebugWindow::IsTopmost() const {
    if (!FShown)
        return FPendingTopmost;
    return (::GetWindowLongA(FWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void TfrmDebugWindow::SetToolbarVisible(bool visible) {
    // A control of the hidden toolbar must not keep the keyboard focus.
    if (!visible && ::IsChild(FToolbar.Handle(), ::GetFocus()))
        ::SetFocus(FPane.Handle());
    FToolbar.SetVisible(visible);
    // The hidden window is laid out once, just before it is shown.
    if (FShown)
        FormResize();
}

bool TfrmDebugWindow::IsToolbarVisible() const {
    return FToolbar.IsVisible();
}

void TfrmDebugWindow::ShowCheckBox(TCheckBoxId box, bool checked) {
    FToolbar.SetChecked(box, checked);
}

TPlacement TfrmDebugWindow::Placement() const {
    RECT bounds{};
    ::GetWindowRect(FWindow, &bounds);
    return TPlacement{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void TfrmDebugWindow::SetPlacement(const TPlacement& placement) {
    ::SetWindowPos(FWindow, nullptr, placement.Left, placement.Top, placement.Width, placement.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

TWindowState TfrmDebugWindow::WindowState() const {
    if (::IsIconic(FWindow))
        return TWindowState::Minimised;
    if (::IsZoomed(FWindow))
        return TWindowState::Maximised;
    return TWindowState::Normal;
}

void TfrmDebugWindow::SetWindowState(TWindowState state) {
    FPendingState = state;
    if (::IsWindowVisible(FWindow)) {
        static const int showCommands[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
        ::ShowWindow(FWindow, showCommands[static_cast<int>(state)]);
    }
}

void TfrmDebugWindow::ShowErrorBox(const std::string& text) {
    FPane.Sync();
    ::MessageBoxA(FWindow, text.c_str(), ViewerTitle, MB_OK | MB_ICONSTOP);
}

void TfrmDebugWindow::ShowInformationBox(const std::string& text) {
    FPane.Sync();
    // No owner: the box is centred on the screen, not on the window.
    ::MessageBoxA(nullptr, text.c_str(), InformationCaption, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}
