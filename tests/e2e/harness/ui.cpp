#include "ui.h"

#include "check.h"
#include "files.h"
#include "pane.h"
#include "wait.h"

#include "platform/Win32Handles.h"
#include "platform/Win32Paint.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

struct ProcessWindowSearch {
    DWORD processId;
    const char* className;
    const char* title; // nullptr: any
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, search->className) != 0)
        return TRUE;
    if (search->title != nullptr && TextOfWindow(window) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD processId, const char* className, const char* title) {
    ProcessWindowSearch search = {processId, className, title, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FirstDescendantOfClass(HWND parent, const char* className) {
    HWND child = nullptr;
    while ((child = FindWindowExA(parent, child, nullptr, nullptr)) != nullptr) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className) == 0)
            return child;
        if (const HWND deeper = FirstDescendantOfClass(child, className))
            return deeper;
    }
    return nullptr;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return WaitFor([window] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

// A 32-bit top-down DIB section compatible with dc, and where its pixels are.
HBITMAP MakeDib(HDC dc, int width, int height, const unsigned char*& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<const unsigned char*>(bits);
    return bitmap;
}

// A picture of part of the screen, or of the device context of source with area in its client coordinates.
class ScreenShot {
  public:
    explicit ScreenShot(const RECT& area, HWND source = nullptr)
        : width_(area.right - area.left), height_(area.bottom - area.top), source_(source),
          memory_(source_.Get()), bitmap_(MakeDib(source_.Get(), width_, height_, pixels_)),
          selected_(memory_.Get(), bitmap_.Get()) {
        if (selected_.Selected())
            BitBlt(memory_.Get(), 0, 0, width_, height_, source_.Get(), area.left, area.top, SRCCOPY);
        else
            pixels_ = nullptr;
        GdiFlush();
    }
    bool Valid() const { return pixels_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Blue, green, red of one pixel.
    const unsigned char* At(int x, int y) const {
        return pixels_ + (static_cast<std::size_t>(y) * width_ + x) * 4;
    }
    // Every pixel, row by row; empty when the picture could not be taken.
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; Valid() && y < height_; ++y) {
            for (int x = 0; x < width_; ++x)
                pixels.push_back(RGB(At(x, y)[2], At(x, y)[1], At(x, y)[0]));
        }
        return pixels;
    }
    // The memory DC that holds the picture, to draw into.
    HDC Dc() const { return memory_.Get(); }

  private:
    int width_;
    int height_;
    TWindowDc source_;
    TMemoryDc memory_;
    const unsigned char* pixels_ = nullptr;
    TGdiObject bitmap_;
    TSelection selected_;
};

bool IsBlack(const unsigned char* bgr) {
    return bgr[0] < 80 && bgr[1] < 80 && bgr[2] < 80;
}

// Greyed text and the etched separators are drawn in a middle grey.
bool IsGrey(const unsigned char* bgr) {
    const int b = bgr[0], g = bgr[1], r = bgr[2];
    return std::abs(r - g) < 16 && std::abs(g - b) < 16 && r >= 96 && r <= 170;
}

// Owns the clipboard while open; the window makes this process the owner of what it puts there.
class OpenedClipboard {
  public:
    OpenedClipboard() {
        if (owner_ == nullptr)
            owner_ = CreateWindowExA(0, "STATIC", "clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
        // The viewer may hold it for a moment.
        opened_ = WaitFor([] { return OpenClipboard(owner_) != FALSE; }, 3000);
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (opened_)
            CloseClipboard();
    }
    bool Opened() const { return opened_; }

  private:
    static HWND owner_;
    bool opened_ = false;
};
HWND OpenedClipboard::owner_ = nullptr;

} // namespace

bool WindowIsTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

HWND FindToolbar(HWND viewer) {
    return FindWindowExA(viewer, nullptr, "TDravikPanel", nullptr);
}

HWND ToolbarControl(HWND viewer, int id) {
    const HWND toolbar = FindToolbar(viewer);
    return toolbar != nullptr ? GetDlgItem(toolbar, id) : nullptr;
}

bool IsBoxChecked(HWND viewer, int id) {
    LRESULT state = 0;
    return SendWithTimeout(ToolbarControl(viewer, id), BM_GETCHECK, 0, 0, state, 5000) &&
           state == BST_CHECKED;
}

bool ClickControl(HWND viewer, int id) {
    const HWND control = ToolbarControl(viewer, id);
    LRESULT ignored = 0;
    return control != nullptr && SendWithTimeout(control, BM_CLICK, 0, 0, ignored) && Settle(viewer);
}

bool PostClick(HWND viewer, int id) {
    const HWND control = ToolbarControl(viewer, id);
    return control != nullptr && PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

bool ChooseCommand(HWND viewer, int id) {
    LRESULT ignored = 0;
    return SendWithTimeout(viewer, WM_COMMAND, MAKEWPARAM(id, 0), 0, ignored) && Settle(viewer);
}

bool PostCommand(HWND viewer, int id) {
    return PostMessageA(viewer, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

bool Settle(HWND viewer) {
    LRESULT ignored = 0;
    return SendWithTimeout(viewer, WM_NULL, 0, 0, ignored);
}

bool SettlePosted(HWND viewer) {
    // A posted change of the pane's left margin queues up behind everything posted before; once it shows,
    // they have been handled. The margin is put back at once.
    const HWND pane = FindPane(viewer);
    LRESULT margins = 0;
    if (pane == nullptr || !SendWithTimeout(pane, EM_GETMARGINS, 0, 0, margins))
        return false;
    const WORD original = LOWORD(static_cast<DWORD>(margins));
    const WORD marker = static_cast<WORD>(original + 7);
    if (!PostMessageA(pane, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(marker, 0)))
        return false;
    const bool seen = WaitFor(
        [&] {
            LRESULT now = 0;
            return SendWithTimeout(pane, EM_GETMARGINS, 0, 0, now) &&
                   LOWORD(static_cast<DWORD>(now)) == marker;
        },
        10000);
    LRESULT ignored = 0;
    SendWithTimeout(pane, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(original, 0), ignored);
    return seen;
}

HWND OpenPopupMenu(HWND viewer, DWORD processId) {
    const HWND pane = FindPane(viewer);
    RECT place = {};
    if (pane == nullptr || !GetWindowRect(pane, &place))
        return nullptr;
    // A pointer resting on the menu would highlight an item and change how it looks.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    PostMessageA(pane, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane),
                 MAKELPARAM(place.left + 20, place.top + 20));
    HWND menu = nullptr;
    WaitFor([&] { return (menu = FindOpenMenu(processId)) != nullptr; }, 5000);
    return menu;
}

bool ChooseMenuLetter(HWND menu, char letter) {
    return PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(letter)), 0) &&
           WaitGone(menu, 5000);
}

bool PressInMenu(HWND menu, WORD virtualKey) {
    return PostMessageA(menu, WM_KEYDOWN, virtualKey, 1) != FALSE;
}

namespace {
std::vector<COLORREF> ShotPixels(const RECT& place, HWND source, int& width, int& height) {
    const ScreenShot shot(place, source);
    width = shot.Valid() ? shot.Width() : 0;
    height = shot.Valid() ? shot.Height() : 0;
    return shot.Pixels();
}
} // namespace

std::vector<COLORREF> WindowPixels(HWND window, int& width, int& height) {
    RECT place = {};
    width = height = 0;
    if (!GetWindowRect(window, &place))
        return {};
    return ShotPixels(place, nullptr, width, height);
}

std::vector<COLORREF> ClientPixels(HWND window, int& width, int& height) {
    RECT place = {};
    width = height = 0;
    if (!GetClientRect(window, &place))
        return {};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId())
        return ShotPixels(place, window, width, height);
    POINT origin = {0, 0};
    if (!ClientToScreen(window, &origin))
        return {};
    OffsetRect(&place, origin.x, origin.y);
    return ShotPixels(place, nullptr, width, height);
}

bool CloseMenu(HWND menu) {
    return PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0) && WaitGone(menu, 5000);
}

std::vector<MenuItemLook> ReadMenuLook(HWND menu, std::size_t itemCount, std::string& why) {
    std::vector<MenuItemLook> items;
    RECT place = {};
    if (!GetWindowRect(menu, &place)) {
        why = "the menu has no place on the screen";
        return items;
    }
    struct Band {
        int top, bottom, leftmostInk, blackPixels;
    };
    std::vector<Band> bands;
    // The menu paints while it opens: read until every item shows, and once more after that.
    std::size_t complete = 0;
    WaitFor(
        [&] {
            bands.clear();
            ScreenShot shot(place);
            if (!shot.Valid())
                return false;
            const int margin = 3; // the frame
            Band band = {-1, -1, shot.Width(), 0};
            for (int y = margin; y < shot.Height() - margin; ++y) {
                int leftmost = -1, black = 0;
                for (int x = margin; x < shot.Width() - margin; ++x) {
                    const unsigned char* pixel = shot.At(x, y);
                    const bool dark = IsBlack(pixel);
                    if (dark)
                        ++black;
                    if ((dark || IsGrey(pixel)) && leftmost < 0)
                        leftmost = x;
                }
                if (leftmost >= 0) {
                    if (band.top < 0)
                        band.top = y;
                    band.bottom = y;
                    band.leftmostInk = std::min(band.leftmostInk, leftmost);
                    band.blackPixels += black;
                } else if (band.top >= 0) {
                    bands.push_back(band);
                    band = Band{-1, -1, shot.Width(), 0};
                }
            }
            if (band.top >= 0)
                bands.push_back(band);
            // Separators are etched lines one or two pixels high; captions are taller.
            bands.erase(std::remove_if(bands.begin(), bands.end(),
                                       [](const Band& b) { return b.bottom - b.top + 1 < 4; }),
                        bands.end());
            complete = bands.size() == itemCount ? complete + 1 : 0;
            return complete >= 2;
        },
        3000);
    if (bands.size() != itemCount) {
        why = std::to_string(bands.size()) + " items seen in the menu";
        return items;
    }
    // Captions start in one column; a check mark stands well left of it.
    int captionColumn = 0;
    for (const Band& band : bands)
        captionColumn = std::max(captionColumn, band.leftmostInk);
    for (const Band& band : bands) {
        MenuItemLook look;
        look.enabled = band.blackPixels >= 5;
        look.checked = band.leftmostInk < captionColumn - 5;
        items.push_back(look);
    }
    return items;
}

bool LookAtMenu(HWND viewer, DWORD processId, std::vector<MenuItemLook>& items) {
    const HWND menu = OpenPopupMenu(viewer, processId);
    if (!CHECK_MSG(menu != nullptr, "the popup menu did not open"))
        return false;
    std::string why;
    items = ReadMenuLook(menu, kMenuItemCount, why);
    CHECK(CloseMenu(menu));
    return CHECK_MSG(items.size() == kMenuItemCount,
                     "read " + std::to_string(items.size()) + " items from the menu. " + why);
}

bool ChooseFromMenu(HWND viewer, DWORD processId, char letter, int downs) {
    const HWND menu = OpenPopupMenu(viewer, processId);
    if (!CHECK_MSG(menu != nullptr, "the popup menu did not open"))
        return false;
    for (int i = 0; i < downs; ++i)
        PressInMenu(menu, VK_DOWN);
    if (ChooseMenuLetter(menu, letter))
        return SettlePosted(viewer);
    CloseMenu(menu);
    return CHECK_MSG(false, std::string("the menu stayed open after '") + letter + "'");
}

HWND FindDialog(DWORD processId, const std::string& title) {
    return FindTopLevel(processId, "#32770", title.c_str());
}

HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindDialog(processId, title)) != nullptr; }, timeoutMs);
    return dialog;
}

HWND FileNameField(HWND dialog) {
    // The explorer-style dialogs hold the name in a combo box (cmb13) with an edit inside; older ones in
    // edt1.
    if (const HWND combo = GetDlgItem(dialog, 0x47C)) {
        char name[64] = {};
        GetClassNameA(combo, name, sizeof name);
        if (lstrcmpiA(name, "Edit") == 0)
            return combo;
        if (const HWND edit = FirstDescendantOfClass(combo, "Edit"))
            return edit;
    }
    return GetDlgItem(dialog, 0x480);
}

std::string ReadFileNameField(HWND dialog) {
    return TextOfWindow(FileNameField(dialog));
}

bool ConfirmFileDialog(HWND dialog, const std::string& fileName) {
    const HWND field = FileNameField(dialog);
    LRESULT ignored = 0;
    if (field == nullptr ||
        !SendWithTimeout(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()), ignored, 5000)) {
        return false;
    }
    const HWND ok = GetDlgItem(dialog, IDOK);
    if (ok != nullptr)
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return WaitGone(dialog, 10000);
}

bool CancelDialog(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return WaitGone(dialog, 10000);
}

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    HWND child = nullptr;
    while ((child = FindWindowExA(dialog, child, "Static", nullptr)) != nullptr) {
        const std::string text = TextOfWindow(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

bool PutOnClipboard(const std::string& text) {
    OpenedClipboard clipboard;
    if (!clipboard.Opened() || !EmptyClipboard())
        return false;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory == nullptr)
        return false;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    // From here on the clipboard owns the memory.
    if (SetClipboardData(CF_TEXT, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

bool ReadClipboard(std::string& text) {
    text.clear();
    OpenedClipboard clipboard;
    if (!clipboard.Opened())
        return false;
    const HANDLE data = GetClipboardData(CF_TEXT);
    if (data == nullptr)
        return false;
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (bytes == nullptr)
        return false;
    text = bytes;
    GlobalUnlock(data);
    return true;
}

bool EmptyTheClipboard() {
    OpenedClipboard clipboard;
    return clipboard.Opened() && EmptyClipboard() != FALSE;
}

bool WaitForClipboardText(DWORD before, std::string& text, DWORD timeoutMs) {
    text.clear();
    return WaitFor([before] { return GetClipboardSequenceNumber() != before; }, timeoutMs) &&
           WaitFor([&text] { return ReadClipboard(text); }, timeoutMs);
}

bool FocusWindow(HWND viewer, HWND target) {
    const DWORD viewerThread = GetWindowThreadProcessId(viewer, nullptr);
    SetForegroundWindow(viewer);
    if (AttachThreadInput(GetCurrentThreadId(), viewerThread, TRUE)) {
        SetFocus(target);
        AttachThreadInput(GetCurrentThreadId(), viewerThread, FALSE);
    }
    return WaitFor([&] { return GetForegroundWindow() == viewer && FocusOf(viewer) == target; }, 3000);
}

HWND FocusOf(HWND viewer) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(viewer, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool PressKeys(const std::vector<WORD>& modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD virtualKey, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
        const bool extended = virtualKey == VK_DELETE || virtualKey == VK_INSERT || virtualKey == VK_HOME ||
                              virtualKey == VK_END || virtualKey == VK_LEFT || virtualKey == VK_RIGHT ||
                              virtualKey == VK_UP || virtualKey == VK_DOWN;
        input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers)
        add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        add(*it, true);
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool RightClickAt(POINT point) {
    if (!SetCursorPos(point.x, point.y))
        return false;
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

HWND FindOpenMenu(DWORD processId) {
    return FindTopLevel(processId, "#32768", nullptr);
}

bool PaneSelection(HWND viewer, DWORD& start, DWORD& end) {
    LRESULT both = 0;
    if (!SendWithTimeout(FindPane(viewer), EM_GETSEL, 0, 0, both, 5000))
        return false;
    start = LOWORD(static_cast<DWORD>(both));
    end = HIWORD(static_cast<DWORD>(both));
    return true;
}

bool SelectInPane(HWND viewer, int start, int end) {
    LRESULT ignored = 0;
    return SendWithTimeout(FindPane(viewer), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end),
                           ignored, 5000);
}

bool WaitForPane(HWND viewer, const std::string& expected, DWORD timeoutMs) {
    return WaitFor([&] { return PaneText(viewer) == expected; }, timeoutMs);
}

// --- Message boxes
// ------------------------------------------------------------------------------------------

namespace {

const int kMessageTextId = 0xFFFF;
const int kIconSize = 32;

HWND FindIconControl(HWND box) {
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}

void CALLBACK ReceiveAnswer(HWND, UINT, ULONG_PTR data, LRESULT result) {
    auto* answer = reinterpret_cast<BoxedAnswer*>(data);
    answer->answered = true;
    answer->result = result;
}

bool CheckErrorDisplay(const ShownBox& box, bool textMatches, const std::string& expected,
                       const std::string& what) {
    if (!CHECK_MSG(box.shown, what + ": no box appeared"))
        return false;
    CHECK_MSG(box.caption == "Korvane Dravik", what + ": caption " + ToText(box.caption));
    CHECK_MSG(textMatches, what + ": text " + ToText(box.text) + ", expected " + ToText(expected));
    CHECK_MSG(box.stopIcon, what + ": the box shows no stop icon");
    return CHECK_MSG(box.dismissed, what + ": the box did not go away");
}

} // namespace

HWND FindMessageBox(DWORD processId) {
    return FindTopLevel(processId, "#32770", nullptr);
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindMessageBox(processId)) != nullptr; }, timeoutMs);
    return box;
}

std::string BoxCaption(HWND box) {
    return TextOfWindow(box);
}

std::string BoxText(HWND box) {
    return TextOfWindow(GetDlgItem(box, kMessageTextId));
}

bool BoxShowsIcon(HWND box, LPCSTR systemIcon) {
    const HWND icon = FindIconControl(box);
    if (icon == nullptr)
        return false;
    // A topmost viewer may cover the box; lifting the box makes its pixels readable from the screen.
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    RECT area = {0, 0, kIconSize, kIconSize};
    const ScreenShot expected(area);
    FillRect(expected.Dc(), &area, GetSysColorBrush(COLOR_3DFACE));
    DrawIcon(expected.Dc(), 0, 0, LoadIconA(nullptr, systemIcon));
    GdiFlush();
    const std::vector<COLORREF> wanted = expected.Pixels();

    // The box repaints on its own thread: poll until the screen shows the icon or time runs out.
    return WaitFor(
        [&] {
            RECT place;
            GetWindowRect(icon, &place);
            return ScreenShot(RECT{place.left, place.top, place.left + kIconSize, place.top + kIconSize})
                       .Pixels() == wanted;
        },
        2000);
}

bool DismissBox(HWND box, DWORD timeoutMs) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return WaitGone(box, timeoutMs);
}

ShownBox TakeBox(HWND box) {
    ShownBox shown;
    if (box == nullptr)
        return shown;
    shown.shown = true;
    shown.caption = BoxCaption(box);
    shown.text = BoxText(box);
    shown.stopIcon = BoxShowsIcon(box, IDI_HAND);
    shown.dismissed = DismissBox(box);
    return shown;
}

ShownBox TakeBox(DWORD processId, DWORD timeoutMs) {
    return TakeBox(WaitForMessageBox(processId, timeoutMs));
}

bool CheckErrorBox(const ShownBox& box, const std::string& text, const std::string& what) {
    return CheckErrorDisplay(box, box.text == text, text, what);
}

bool CheckFileErrorBox(const ShownBox& box, const std::string& prefix, const std::string& path,
                       const std::string& what) {
    const bool named = box.text.size() == prefix.size() + path.size() + 1 &&
                       box.text.compare(0, prefix.size(), prefix) == 0 && box.text.back() == '.' &&
                       SameFileName(box.text.substr(prefix.size(), path.size()), path);
    return CheckErrorDisplay(box, named, prefix + path + ".", what);
}

BoxedAnswer SendDismissingBoxes(DWORD processId, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                DWORD timeoutMs) {
    BoxedAnswer answer;
    // The answer arrives through this thread's message queue, which WaitFor pumps.
    if (!SendMessageCallbackA(window, message, wParam, lParam, ReceiveAnswer,
                              reinterpret_cast<ULONG_PTR>(&answer))) {
        return answer;
    }
    WaitFor(
        [&] {
            if (const HWND box = FindMessageBox(processId))
                answer.boxes.push_back(TakeBox(box));
            return answer.answered;
        },
        timeoutMs);
    return answer;
}

void CheckOneErrorBox(const BoxedAnswer& answer, const std::string& prefix, const std::string& path,
                      const std::string& what) {
    CHECK_MSG(answer.answered, what + ": no answer");
    CHECK_MSG(answer.result == 0, what + ": answered " + std::to_string(answer.result));
    if (CHECK_MSG(answer.boxes.size() == 1, what + ": " + std::to_string(answer.boxes.size()) + " boxes"))
        CheckFileErrorBox(answer.boxes.front(), prefix, path, what);
}

} // namespace e2e
