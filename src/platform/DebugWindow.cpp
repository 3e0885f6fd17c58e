#include "platform/DebugWindow.h"

#include <exception>
#include <vector>

#include "channel/ClientCommands.h"
#include "dravik/protocol.h"
#include "platform/PaneFont.h"
#include "resource.h"

namespace {
const char* const WindowClassName = DRAVIK_WINDOW_CLASS;
const char* const InformationCaption = "Information";
const int ToolbarHeight = 57;
const TPlacement DesignedPlacement;
} // namespace

TfrmDebugWindow::TfrmDebugWindow(TMapList& maps)
    : FForm(std::make_unique<TfrmDebug>(
          TfrmDebugServices{*this, FBuffer, FFiles, FRegistry, maps, FClock, FDialogs})) {
    FBuffer.AwaitControl();
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
    const HDC screen = ::GetDC(nullptr);
    if (screen) {
        FDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    // Found by clients and other viewers only once the start-up has made sure it is the only viewer.
    ::CreateWindowExA(0, WindowClassName, InstanceCheckTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      DesignedPlacement.Left, DesignedPlacement.Top, DesignedPlacement.Width,
                      DesignedPlacement.Height, nullptr, nullptr, instance, this);
    return FWindow != nullptr;
}

bool TfrmDebugWindow::TranslateShortcut(MSG& message) {
    if (!FWindow)
        return false;
    if (IsToolbarVisible() && ::TranslateAcceleratorA(FWindow, FToolbarMnemonics.Get(), &message))
        return true;
    return ::GetFocus() == FPane.Handle() && ::TranslateAcceleratorA(FWindow, FMenuShortcuts.Get(), &message);
}

bool TfrmDebugWindow::Start() {
    Guarded([this] { FForm->FormCreate(); });
    if (FForm->OtherInstanceFound())
        return false;
    // Making the controls, filling the pane and showing the window take Wine
    // a good part of the whole start-up; the pane's text is ready without
    // them. Clients that found the window meanwhile are answered first.
    MSG pending{};
    ::PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (!FWindow)
        return true;
    if (!CreatePane() || !FToolbar.CreateControls()) {
        ::DestroyWindow(FWindow);
        return false;
    }
    FinishHiddenWindow();
    FBuffer.ControlMade();
    Guarded([this] { SyncPane(); });
    FShown = true;
    static const int showCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ::ShowWindow(FWindow, showCommands[static_cast<int>(FPendingState)]);
    ::UpdateWindow(FWindow);
    if (FTerminationRequested)
        ::PostQuitMessage(0);
    return true;
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
    case WM_TIMER:
        Guarded([this, wParam] { Timer(static_cast<UINT_PTR>(wParam)); });
        return 0;
    case WM_COMMAND:
        Guarded([this, wParam, lParam] {
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        });
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
    if (!FToolbar.Create(FWindow, FInstance, FDpi) || !FPopupMenu.Create())
        return false;
    FMenuShortcuts = TAccelerators(CreateMenuShortcuts());
    FToolbarMnemonics = TAccelerators(CreateToolbarMnemonics());
    return true;
}

// Made once the first clients have been answered: creating and filling the
// control costs Wine milliseconds that the start-up can do without.
bool TfrmDebugWindow::CreatePane() {
    const HWND edit = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0,
        0, 0, 0, FWindow, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(PaneId)), FInstance, nullptr);
    if (!edit)
        return false;
    FPane.Attach(edit);
    // The edit control would show its own context menu; the viewer's is wanted.
    ::SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FPaneControlProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaneProc)));
    // The control's own default limit of 30000 characters would silently cut
    // appends that the pane's capacity rule has let in.
    ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    return FPaneControlProc != nullptr;
}

// What the window needs only once it is seen, done after the first clients
// have been answered: its icon, the pane's font, and the switches that the
// start-up asked for while the window was hidden.
void TfrmDebugWindow::FinishHiddenWindow() {
    HICON icon = ::LoadIconA(FInstance, MAKEINTRESOURCEA(IDI_DRAVIK));
    if (!icon)
        icon = ::LoadIcon(nullptr, IDI_APPLICATION);
    ::SetClassLongPtrA(FWindow, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));

    FPaneFont = CreatePaneFont(FDpi);
    if (FPaneFont)
        ::SendMessageA(FPane.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FPaneFont.Get()), FALSE);

    if (FPendingTopmost)
        ::SetWindowPos(FWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FormResize();
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
    ::SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    FWindow = nullptr;
    ::PostQuitMessage(0);
}

void TfrmDebugWindow::ClientCommand(UINT message) {
    Guarded([this, message] {
        if (message != WM_DBG_PRINT)
            SyncPane();
        FForm->HandleClientCommand(message);
        if (message == WM_DBG_PRINT)
            FPrintedSinceRefresh = true;
        ScheduleRefresh();
    });
}

int TfrmDebugWindow::Scaled(int pixels) const {
    return ::MulDiv(pixels, FDpi, 96);
}

void TfrmDebugWindow::BeginInstanceCheck() {
    FInstanceCheckTurn = TKernelHandle(::CreateMutexA(nullptr, FALSE, "DravikViewerInstanceCheck"));
    // Without the mutex the check still runs, only without taking turns. An
    // abandoned mutex (a viewer that died mid-check) is simply taken over.
    if (FInstanceCheckTurn && ::WaitForSingleObject(FInstanceCheckTurn.Get(), 10000) == WAIT_TIMEOUT)
        FInstanceCheckTurn.Reset();
}

void TfrmDebugWindow::EndInstanceCheck() {
    if (FInstanceCheckTurn)
        ::ReleaseMutex(FInstanceCheckTurn.Get());
    FInstanceCheckTurn.Reset();
}

std::string TfrmDebugWindow::ClassName() const {
    char name[256] = {};
    const int length = ::GetClassNameA(FWindow, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void TfrmDebugWindow::SetTitle(const std::string& title) {
    ::SetWindowTextA(FWindow, title.c_str());
}

TWindowId TfrmDebugWindow::FindTopLevelWindow(const std::string& className, const std::string& title) const {
    return reinterpret_cast<TWindowId>(::FindWindowA(className.c_str(), title.c_str()));
}

void TfrmDebugWindow::BringToTop(TWindowId window) {
    ::BringWindowToTop(reinterpret_cast<HWND>(window));
}

// Until the window is shown, the switch waits for FinishHiddenWindow: it
// costs Wine a round of window changes that the clients need not wait for.
void TfrmDebugWindow::SetTopmost(bool topmost) {
    if (!FShown) {
        FPendingTopmost = topmost;
        return;
    }
    ::SetWindowPos(FWindow, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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

void TfrmDebugWindow::ReleaseSender() {
    if (::InSendMessage())
        ::ReplyMessage(0);
}

void TfrmDebugWindow::ShowErrorBox(const std::string& text) {
    SyncPane();
    ::MessageBoxA(FWindow, text.c_str(), ViewerTitle, MB_OK | MB_ICONSTOP);
}

void TfrmDebugWindow::ShowInformationBox(const std::string& text) {
    SyncPane();
    // No owner: the box is centred on the screen, not on the window.
    ::MessageBoxA(nullptr, text.c_str(), InformationCaption, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}
