#include "platform/DebugWindow.h"

#include <exception>
#include <vector>

#include <commctrl.h>

#include "channel/ClientCommands.h"
#include "resource.h"

namespace {
const char* const WindowClassName = "TfrmDebug";
const char* const InformationCaption = "Information";
const int ToolbarHeight = 57;
const int PaneFontHeight = 12;
const TPlacement DesignedPlacement;
const WORD MessagesId = 100;
const UINT_PTR SyncTimerId = 1;
const UINT_PTR ScrollBarTimerId = 2;
// How often a flood has the pane's scroll bars drawn.
const DWORD ScrollBarInterval = 500;
bool ChangesText(UINT message) {
    switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    default:
        return false;
    }
}

// The longest the pane may lag behind a flood of prints.
const DWORD SyncInterval = 100;
} // namespace

TfrmDebugWindow::TfrmDebugWindow(TMapList& maps)
    : FForm(std::make_unique<TfrmDebug>(
          TfrmDebugServices{*this, FBuffer, FFiles, FRegistry, maps, FClock, FDialogs})) {}

TfrmDebugWindow::~TfrmDebugWindow() {
    if (FWindow)
        ::DestroyWindow(FWindow);
}

bool TfrmDebugWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TfrmDebugWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_DRAVIK));
    if (!windowClass.hIcon)
        windowClass.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    return ::RegisterClassExA(&windowClass) != 0 && TToolbarPanel::RegisterWindowClass(instance);
}

bool TfrmDebugWindow::Create(HINSTANCE instance) {
    const HDC screen = ::GetDC(nullptr);
    if (screen) {
        FDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    // Found by clients and other viewers only once the start-up has made sure it is the only viewer.
    ::CreateWindowExA(0, WindowClassName, InstanceCheckTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      DesignedPlacement.Left, DesignedPlacement.Top, DesignedPlacement.Width,
                      DesignedPlacement.Height, nullptr, nullptr, instance, this);
    return FWindow != nullptr && FPane.Handle() != nullptr;
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
    case WM_CREATE:
        return Guarded([this] { FormCreateControls(); }) && FPane.Handle() ? 0 : -1;
    case WM_SIZE:
        Guarded([this] { FormResize(); });
        return 0;
    case WM_TIMER:
        if (wParam == SyncTimerId)
            Guarded([this] { SyncTimer(); });
        else if (wParam == ScrollBarTimerId)
            Guarded([this] { ScrollBarTimer(); });
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

template <typename THandler> bool TfrmDebugWindow::Guarded(THandler&& handler) {
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

void TfrmDebugWindow::ShowUnexpectedError(const char* message) {
    // The display itself must never let anything escape the window procedure.
    try {
        FForm->ShowException(std::string(message));
    } catch (...) {
        ::MessageBoxA(FWindow, "Unknown error.", ViewerTitle, MB_OK | MB_ICONSTOP);
    }
}

void TfrmDebugWindow::FormCreateControls() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(FWindow, GWLP_HINSTANCE));
    FDialogs.SetOwner(FWindow);
    if (!FToolbar.Create(FWindow, instance, FDpi) || !FPopupMenu.Create())
        return;
    FMenuShortcuts = TAccelerators(CreateMenuShortcuts());
    FToolbarMnemonics = TAccelerators(CreateToolbarMnemonics());

    const HWND edit = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0, 0, 0,
        0, FWindow, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(MessagesId)), instance, nullptr);
    if (!edit)
        return;
    FPane.Attach(edit);
    // The edit control would show its own context menu; the viewer's is wanted.
    ::SetWindowSubclass(edit, &TfrmDebugWindow::PaneProc, 1, reinterpret_cast<DWORD_PTR>(this));
    // The control's own default limit of 30000 characters would silently cut
    // appends that the pane's capacity rule has let in.
    ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);

    LOGFONTA font{};
    font.lfHeight = -::MulDiv(PaneFontHeight, FDpi, 96);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    // Plain pixels: smoothed text costs the pane's every redraw several times
    // over while output floods in, and a 12-pixel fixed font reads as well.
    font.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
    FPaneFont = TGdiObject(::CreateFontIndirectA(&font));
    if (FPaneFont)
        ::SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(FPaneFont.Get()), FALSE);
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
        ScheduleSync();
    });
}

void TfrmDebugWindow::SyncPane() {
    if (FSyncTimerArmed) {
        ::KillTimer(FWindow, SyncTimerId);
        FSyncTimerArmed = false;
    }
    if (FBuffer.HasPendingChanges() && !FSyncingPane) {
        // The control's own notices during the batch must not start another.
        FSyncingPane = true;
        FPane.BeginBatch();
        FBuffer.Sync();
        const DWORD now = ::GetTickCount();
        const bool scrollBarsDue = !FScrollBarsWaiting && now - FLastScrollBarDraw >= ScrollBarInterval;
        if (FPane.EndBatch(scrollBarsDue) && !FScrollBarsWaiting) {
            const DWORD sinceDrawn = now - FLastScrollBarDraw;
            FScrollBarsWaiting =
                ::SetTimer(FWindow, ScrollBarTimerId, ScrollBarInterval - sinceDrawn, nullptr) != 0;
            if (!FScrollBarsWaiting)
                FPane.RedrawScrollBars();
        } else if (scrollBarsDue) {
            FLastScrollBarDraw = now;
        }
        FSyncingPane = false;
    }
    FLastSync = ::GetTickCount();
}

void TfrmDebugWindow::ScrollBarTimer() {
    ::KillTimer(FWindow, ScrollBarTimerId);
    FScrollBarsWaiting = false;
    FLastScrollBarDraw = ::GetTickCount();
    FPane.RedrawScrollBars();
}

void TfrmDebugWindow::ScheduleSync() {
    if (!FBuffer.HasPendingChanges() || FSyncTimerArmed)
        return;
    const DWORD sinceLastSync = ::GetTickCount() - FLastSync;
    if (sinceLastSync >= SyncInterval) {
        SyncPane();
        return;
    }
    // The timer also fires inside the modal loops of dialogs and message
    // boxes, so the pane follows a flood while they are open.
    FSyncTimerArmed = ::SetTimer(FWindow, SyncTimerId, SyncInterval - sinceLastSync, nullptr) != 0;
    if (!FSyncTimerArmed)
        SyncPane();
}

void TfrmDebugWindow::SyncTimer() {
    SyncPane();
}

void TfrmDebugWindow::Command(WORD id, WORD notification, HWND control) {
    TfrmDebug& form = *FForm;
    if (id == MessagesId && control == FPane.Handle()) {
        if (notification == EN_CHANGE)
            FBuffer.ControlChanged();
        return;
    }
    // Every command of the user sees, and works on, the pane as it stands.
    SyncPane();
    // An accelerator arrives without a control; for a toolbar control it
    // stands for a click on that control.
    if (!control && id >= pbClear && id <= cbLogConnect) {
        ToolbarAccelerator(static_cast<TCommandId>(id));
        return;
    }
    switch (id) {
    case pbClear:
    case mnuClear:
        form.pbClearClick();
        break;
    case pbOpen:
    case mnuImport:
        form.pbOpenClick();
        break;
    case pbSave:
    case mnuExport:
        form.pbSaveClick();
        break;
    case pbMark:
    case mnuMark:
        form.pbMarkClick();
        break;
    case pbInfo:
    case mnuInfo:
        form.pbInfoClick();
        break;
    case cbFloat:
    case cbToolbar:
    case cbDebugOutput:
    case cbLogConnect:
        if (notification == BN_CLICKED) {
            const TCheckBoxId box = CheckBoxOf(static_cast<TCommandId>(id));
            form.CheckBoxClicked(box, FToolbar.IsChecked(box));
        }
        break;
    case mnuFloat:
        form.mnuFloatClick();
        break;
    case mnuToolbar:
        form.mnuToolbarClick();
        break;
    case mnuDebugOutput:
        form.mnuDebugOutputClick();
        break;
    case mnuLogConnect:
        form.mnuLogConnectClick();
        break;
    case mnuCut:
        form.mnuCutClick();
        break;
    case mnuCopy:
        form.mnuCopyClick();
        break;
    case mnuPaste:
        form.mnuPasteClick();
        break;
    case mnuSelectAll:
        form.mnuSelectAllClick();
        break;
    default:
        break;
    }
}

void TfrmDebugWindow::ToolbarAccelerator(TCommandId id) {
    const HWND control = ::GetDlgItem(FToolbar.Handle(), id);
    if (control && ::IsWindowEnabled(control))
        ::SendMessageA(control, BM_CLICK, 0, 0);
}

void TfrmDebugWindow::ContextMenu(HWND source, LPARAM position) {
    if (source != FPane.Handle())
        return;
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1) { // from the keyboard: open it at the pane's corner
        at = POINT{Scaled(8), Scaled(8)};
        ::ClientToScreen(FPane.Handle(), &at);
    }
    SyncPane();
    FPopupMenu.Apply(FForm->PopupMenu1Popup());
    FPopupMenu.Show(FWindow, at);
}

void TfrmDebugWindow::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_BUTTON)
        FToolbar.DrawImageButton(item);
}

LRESULT CALLBACK TfrmDebugWindow::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<TfrmDebugWindow*>(data);
    // Whatever reaches the control (the user's input, painting, another
    // program reading the text) must find it in step with the pane.
    if (!self->FSyncingPane && !self->FBuffer.Syncing() && self->FBuffer.HasPendingChanges())
        self->Guarded([self] { self->SyncPane(); });
    if (message == WM_CONTEXTMENU) {
        ::SendMessageA(self->FWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), lParam);
        return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(pane, &TfrmDebugWindow::PaneProc, 1);
    const bool ownEdit = self->FSyncingPane || self->FBuffer.Syncing();
    const LRESULT result = ::DefSubclassProc(pane, message, wParam, lParam);
    // Text set from outside the viewer gives no change notice in a
    // multi-line control; it is the pane's text from now on all the same.
    if (!ownEdit && ChangesText(message))
        self->FBuffer.ControlChanged();
    return result;
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

void TfrmDebugWindow::SetTopmost(bool topmost) {
    ::SetWindowPos(FWindow, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TfrmDebugWindow::IsTopmost() const {
    return (::GetWindowLongA(FWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void TfrmDebugWindow::SetToolbarVisible(bool visible) {
    // A control of the hidden toolbar must not keep the keyboard focus.
    if (!visible && ::IsChild(FToolbar.Handle(), ::GetFocus()))
        ::SetFocus(FPane.Handle());
    FToolbar.SetVisible(visible);
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
    // No owner: the box is centred on the screen, not on the window.
    ::MessageBoxA(nullptr, text.c_str(), InformationCaption, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}
