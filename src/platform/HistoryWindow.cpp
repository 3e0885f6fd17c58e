#include "platform/HistoryWindow.h"

#include <commctrl.h>

#include <stdexcept>

#include "common/Utf8.h"
#include "platform/HistoryOutputJob.h"
#include "platform/HistorySource.h"
#include "platform/Win32Paint.h"
#include "resource.h"
#include "shell/historyview/HistoryPlacement.h"

namespace {

const wchar_t* const WindowClassName = L"TfrmHistory";
const wchar_t* const WindowTitle = L"History - Korvane Dravik";
const int DefaultWidth = 900;
const int DefaultHeight = 520;
// The list takes the model's changes at most this often: each change of its count and scroll costs the
// window's thread tens of milliseconds under Wine, and a flood of new rows would otherwise keep it busy.
// While the files are read at the opening, the list grows by hundreds of thousands of rows a step; it
// takes them less often then.
const DWORD ApplyIntervalMs = 100;
const DWORD LoadingApplyIntervalMs = 250;

// The list view's class comes with the common controls, loaded on the window's first opening: a viewer
// that never opens it never pays for them.
bool LoadListViewClass() {
    static const bool loaded = [] {
        const HMODULE library = ::LoadLibraryW(L"comctl32.dll");
        if (!library)
            return false;
        using TInitCommonControlsEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto initialise = reinterpret_cast<TInitCommonControlsEx>(
            reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        return initialise && initialise(&controls);
    }();
    return loaded;
}

bool RegisterHistoryClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, WindowClassName, &existing))
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_DRAVIK));
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    return ::RegisterClassExW(&windowClass) != 0;
}

// A placement kept from another screen layout may lie off every screen now.
bool OnAScreen(const TPlacement& placement) {
    const RECT bounds{placement.Left, placement.Top, placement.Left + placement.Width,
                      placement.Top + placement.Height};
    return ::MonitorFromRect(&bounds, MONITOR_DEFAULTTONULL) != nullptr;
}

std::wstring WideFrom(UINT codePage, const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Utf8From(const std::wstring& text) {
    return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::string Lines(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

} // namespace

TfrmHistoryWindow::TfrmHistoryWindow(IRegistry& registry) : FSettings(registry) {}

TfrmHistoryWindow::~TfrmHistoryWindow() {
    if (FWindow)
        ::DestroyWindow(FWindow);
}

// Made in steps, each a message of its own, so that the clients and the main window are answered between
// them: the window (hidden), then its controls, then its history and its showing.
bool TfrmHistoryWindow::Open(HINSTANCE instance, HWND owner, const std::string& folder) {
    FOpeningFolder = folder;
    if (FWindow) {
        if (FOpening)
            return true;
        UseFolder(folder);
        if (::IsIconic(FWindow))
            ::ShowWindow(FWindow, SW_RESTORE);
        ::SetForegroundWindow(FWindow);
        ::BringWindowToTop(FWindow);
        FocusFind();
        return true;
    }
    FInstance = instance;
    if (!LoadListViewClass() || !RegisterHistoryClass(instance, &TfrmHistoryWindow::WindowProc))
        return false;
    const TWindowDc screen(nullptr);
    if (screen.Get())
        FDpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    TPlacement placement;
    const bool placed = ReadHistoryPlacement(FSettings, placement) && OnAScreen(placement);
    ::CreateWindowExW(0, WindowClassName, WindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      placed ? placement.Left : CW_USEDEFAULT, placed ? placement.Top : CW_USEDEFAULT,
                      placed ? placement.Width : Scaled(DefaultWidth),
                      placed ? placement.Height : Scaled(DefaultHeight), owner, nullptr, instance, this);
    if (!FWindow)
        return false;
    FOpening = true;
    ::PostMessageW(FWindow, OpenStepMessage, MakeControlsStep, 0);
    return true;
}

void TfrmHistoryWindow::OpenStep(WPARAM step) {
    if (!FOpening)
        return;
    if (step == MakeControlsStep) {
        if (!CreateControls()) {
            ::DestroyWindow(FWindow);
            throw std::runtime_error("Cannot open the History window");
        }
        FormResize();
        ::PostMessageW(FWindow, OpenStepMessage, ShowStep, 0);
        return;
    }
    FOpening = false;
    UseSource(FOpeningFolder);
    ::ShowWindow(FWindow, SW_SHOWNORMAL);
    FocusFind();
}

void TfrmHistoryWindow::ShowHistory(const std::string& folder) {
    if (!Open(FInstance, FOwner, folder))
        throw std::runtime_error("Cannot open the History window");
}

// Windows moves an owned window with its owner into and out of the topmost windows; Wine 8 leaves it there
// for good and keeps its owner from coming back. Each is set on its own, the owner let go meanwhile.
void TfrmHistoryWindow::SetTopmostWithOwner(bool topmost) {
    const HWND place = topmost ? HWND_TOPMOST : HWND_NOTOPMOST;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!FWindow) {
        ::SetWindowPos(FOwner, place, 0, 0, 0, 0, flags);
        return;
    }
    ::SetWindowLongPtrW(FWindow, GWLP_HWNDPARENT, 0);
    ::SetWindowPos(FOwner, place, 0, 0, 0, 0, flags);
    ::SetWindowPos(FWindow, place, 0, 0, 0, 0, flags);
    ::SetWindowLongPtrW(FWindow, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(FOwner));
}

void TfrmHistoryWindow::UseFolder(const std::string& folder) {
    FOpeningFolder = folder;
    if (FWindow && !FOpening && (!FSource || FSource->Folder() != folder))
        UseSource(folder);
}

void TfrmHistoryWindow::Close() {
    if (FWindow)
        ::DestroyWindow(FWindow);
}

// A new folder gets a new model and a new thread. The jobs still running keep the old ones until they end.
void TfrmHistoryWindow::UseSource(const std::string& folder) {
    FForm.Attach(nullptr);
    FSource.reset();
    FSource = std::make_shared<THistorySource>(folder, FWindow, ChangedMessage);
    if (!FSource->Start())
        FForm.SetFailure("The history cannot be read: no thread for it");
    FForm.Attach(&FSource->Model());
    UpdateStatus();
}

LRESULT CALLBACK TfrmHistoryWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<TfrmHistoryWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FWindow = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfrmHistoryWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TfrmHistoryWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        bool created = false;
        Guarded([this, &created] { created = FormCreate(); });
        return created ? 0 : -1;
    }
    case WM_SIZE:
        Guarded([this] { FormResize(); });
        return 0;
    case WM_ACTIVATE:
        FormActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_COMMAND:
        Guarded([this, wParam] { Command(LOWORD(wParam), HIWORD(wParam)); });
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        Guarded([this, lParam, &result] { result = Notify(*reinterpret_cast<const NMHDR*>(lParam)); });
        return result;
    }
    case WM_TIMER:
        Guarded([this, wParam] { Timer(static_cast<UINT_PTR>(wParam)); });
        return 0;
    case ChangedMessage:
        Guarded([this] { ModelChanged(); });
        return 0;
    case JobDoneMessage:
        Guarded([this] { JobDone(); });
        return 0;
    case OpenStepMessage:
        Guarded([this, wParam] { OpenStep(wParam); });
        return 0;
    case WrittenMessage:
        if (FSource)
            FSource->Refresh();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    default:
        return ::DefWindowProcW(FWindow, message, wParam, lParam);
    }
}

bool TfrmHistoryWindow::FormCreate() {
    FDialogs.SetOwner(FWindow);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!FFont && ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        FFont = TGdiObject(::CreateFontIndirectW(&metrics.lfMessageFont));
    return true;
}

bool TfrmHistoryWindow::CreateControls() {
    const auto control = [this](const wchar_t* className, const wchar_t* text, DWORD style,
                                DWORD extendedStyle, int id) {
        const HWND made =
            ::CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                              FWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), FInstance, nullptr);
        if (made && FFont)
            ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
        return made;
    };
    FFindLabel = control(L"STATIC", L"Find:", SS_LEFT | SS_NOPREFIX, 0, -1);
    FFindBox = control(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, FindId);
    FFilterLabel = control(L"STATIC", L"Filter:", SS_LEFT | SS_NOPREFIX, 0, -1);
    FFilterBox = control(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, FilterId);
    FExportButton = control(L"BUTTON", L"Export...", WS_TABSTOP | BS_PUSHBUTTON, 0, ExportId);
    FStatus = control(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, StatusId);
    if (!FFindLabel || !FFindBox || !FFilterLabel || !FFilterBox || !FExportButton || !FStatus ||
        !FList.Create(FWindow, FInstance, ListId, FDpi))
        return false;
    if (FFont)
        ::SendMessageW(FList.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    // The keys of the window (Tab, Enter, F3, the shortcuts) are taken from the controls before they see
    // them: the viewer's message loop is not a dialog's.
    for (HWND subclassed : {FList.Handle(), FFindBox, FFilterBox, FExportButton})
        OriginalProc(subclassed) = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            subclassed, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfrmHistoryWindow::ControlProc)));
    if (FWrites)
        FWrites->AddWrittenListener(FWindow, WrittenMessage);
    return true;
}

// The controls move in one go: one round of changes for the window system rather than one each.
void TfrmHistoryWindow::FormResize() {
    if (!FStatus)
        return;
    RECT client{};
    ::GetClientRect(FWindow, &client);
    const int margin = Scaled(6);
    const int boxHeight = Scaled(23);
    const int statusHeight = Scaled(18);
    const int buttonWidth = Scaled(90);
    const int findLabelWidth = Scaled(34);
    const int filterLabelWidth = Scaled(38);
    const int labelTop = margin + Scaled(4);
    const int boxesWidth = client.right - 6 * margin - findLabelWidth - filterLabelWidth - buttonWidth;
    const int boxWidth = boxesWidth > 0 ? boxesWidth / 2 : 0;
    HDWP moves = ::BeginDeferWindowPos(7);
    const auto move = [&moves](HWND control, int left, int top, int width, int height) {
        if (moves)
            moves = ::DeferWindowPos(moves, control, nullptr, left, top, width > 0 ? width : 0,
                                     height > 0 ? height : 0, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    int x = margin;
    move(FFindLabel, x, labelTop, findLabelWidth, boxHeight - Scaled(4));
    x += findLabelWidth;
    move(FFindBox, x, margin, boxWidth, boxHeight);
    x += boxWidth + 2 * margin;
    move(FFilterLabel, x, labelTop, filterLabelWidth, boxHeight - Scaled(4));
    x += filterLabelWidth;
    move(FFilterBox, x, margin, boxWidth, boxHeight);
    x += boxWidth + margin;
    move(FExportButton, x, margin, buttonWidth, boxHeight);
    const int listTop = 2 * margin + boxHeight;
    move(FList.Handle(), 0, listTop, client.right, client.bottom - listTop - statusHeight - margin);
    move(FStatus, margin, client.bottom - statusHeight, client.right - 2 * margin, statusHeight - Scaled(2));
    if (moves)
        ::EndDeferWindowPos(moves);
    FForm.ListResized();
}

void TfrmHistoryWindow::FormActivate(bool active) {
    if (!active) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(FWindow, focus))
            FLastFocus = focus;
        return;
    }
    ::SetFocus(FLastFocus && ::IsWindow(FLastFocus) ? FLastFocus : FFindBox);
}

// Also when the main window goes, which takes this one with it: the place is kept, the threads end.
void TfrmHistoryWindow::FormDestroy() {
    if (FWrites)
        FWrites->RemoveWrittenListener(FWindow);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(FWindow, &placement)) {
        const RECT& normal = placement.rcNormalPosition;
        WriteHistoryPlacement(FSettings, TPlacement{normal.left, normal.top, normal.right - normal.left,
                                                    normal.bottom - normal.top});
    }
    FExportJob.reset();
    FCopyJob.reset();
    FApplyWaiting = false;
    FOpening = false;
    FForm.Attach(nullptr);
    FSource.reset();
    for (WNDPROC* procedure : {&FListProc, &FFindProc, &FFilterProc, &FButtonProc})
        *procedure = nullptr;
    FFindBox = FFilterBox = FStatus = FExportButton = FFindLabel = FFilterLabel = FLastFocus = nullptr;
    FStatusShown.clear();
    ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    FWindow = nullptr;
}

void TfrmHistoryWindow::ModelChanged() {
    if (!FSource || FApplyWaiting)
        return;
    const DWORD interval = FForm.Loading() ? LoadingApplyIntervalMs : ApplyIntervalMs;
    const DWORD since = ::GetTickCount() - FLastApplied;
    if (since < interval && ::SetTimer(FWindow, ApplyTimerId, interval - since, nullptr)) {
        FApplyWaiting = true;
        return;
    }
    ApplyModel();
}

// Until the model is told that the window has looked, it posts nothing more.
void TfrmHistoryWindow::ApplyModel() {
    FApplyWaiting = false;
    FLastApplied = ::GetTickCount();
    if (!FSource)
        return;
    FSource->Acknowledge();
    const std::string failure = FSource->Failure();
    if (!failure.empty())
        FForm.SetFailure("The history cannot be read: " + failure);
    FForm.ModelChanged();
    UpdateStatus();
}

void TfrmHistoryWindow::UpdateStatus() {
    if (!FStatus)
        return;
    const std::u16string text = Utf16FromUtf8(FForm.StatusText());
    const std::wstring shown(text.begin(), text.end());
    if (shown == FStatusShown)
        return;
    FStatusShown = shown;
    ::SetWindowTextW(FStatus, shown.c_str());
}

void TfrmHistoryWindow::ShowUnexpectedError(const char* message) {
    try {
        ShowErrorBox(WideFrom(CP_ACP, message));
    } catch (...) {
        ::MessageBoxW(FWindow, L"Unknown error.", L"Korvane Dravik", MB_OK | MB_ICONSTOP);
    }
}

// The general error display of the viewer: the message and a period, the stop icon.
void TfrmHistoryWindow::ShowErrorBox(const std::wstring& text) {
    ::MessageBoxW(FWindow, (text + L".").c_str(), L"Korvane Dravik", MB_OK | MB_ICONSTOP);
}

std::wstring TfrmHistoryWindow::BoxText(HWND control) const {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int read = ::GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    return text;
}

void TfrmHistoryWindow::JobDone() {
    if (FExportJob && FExportJob->Result() != THistoryOutputJob::TResult::Running) {
        const std::unique_ptr<THistoryOutputJob> job = std::move(FExportJob);
        ::KillTimer(FWindow, ProgressTimerId);
        ::EnableWindow(FExportButton, TRUE);
        const std::wstring name = WideFrom(CP_ACP, job->FileName());
        FForm.SetNotice(std::string());
        switch (job->Result()) {
        case THistoryOutputJob::TResult::Done:
            FForm.SetNotice(Lines(job->RowsWritten()) + " exported to " + Utf8From(name));
            break;
        case THistoryOutputJob::TResult::CannotCreate:
            ShowErrorBox(L"Cannot create file " + name);
            break;
        case THistoryOutputJob::TResult::WriteFailed:
            ShowErrorBox(L"Stream write error");
            break;
        case THistoryOutputJob::TResult::ReadFailed:
            ShowErrorBox(L"Stream read error");
            break;
        case THistoryOutputJob::TResult::TooLarge:
            ShowErrorBox(L"Out of memory");
            break;
        case THistoryOutputJob::TResult::Failed:
            ShowErrorBox(WideFrom(CP_ACP, job->Failure()));
            break;
        case THistoryOutputJob::TResult::Running:
        case THistoryOutputJob::TResult::Cancelled:
            break;
        }
    }
    if (FCopyJob && FCopyJob->Result() != THistoryOutputJob::TResult::Running) {
        const std::unique_ptr<THistoryOutputJob> job = std::move(FCopyJob);
        FForm.SetNotice(std::string());
        switch (job->Result()) {
        case THistoryOutputJob::TResult::Done: {
            HGLOBAL text = job->TakeText();
            const bool copied = ::OpenClipboard(FWindow) && ::EmptyClipboard() &&
                                ::SetClipboardData(CF_UNICODETEXT, text) != nullptr;
            ::CloseClipboard();
            if (!copied)
                ::GlobalFree(text);
            FForm.SetNotice(copied ? Lines(job->RowsWritten()) + " copied"
                                   : std::string("Another program holds the clipboard: nothing was copied"));
            break;
        }
        case THistoryOutputJob::TResult::TooLarge:
            ShowErrorBox(L"Too many lines to copy at once (more than 32 MB): Export... writes any number");
            break;
        case THistoryOutputJob::TResult::ReadFailed:
            ShowErrorBox(L"Stream read error");
            break;
        case THistoryOutputJob::TResult::Failed:
            ShowErrorBox(WideFrom(CP_ACP, job->Failure()));
            break;
        case THistoryOutputJob::TResult::Running:
        case THistoryOutputJob::TResult::Cancelled:
        case THistoryOutputJob::TResult::CannotCreate:
        case THistoryOutputJob::TResult::WriteFailed:
            break;
        }
    }
    UpdateStatus();
}
