#include "message_box.h"

#include "pane.h"
#include "wait.h"

#include "platform/Win32Handles.h"
#include "platform/Win32Paint.h"

#include <vector>

namespace e2e {

namespace {

const int kMessageTextId = 0xFFFF;
const int kIconSize = 32;

std::string TextOf(HWND window) {
    LRESULT length = 0;
    if (window == nullptr || !SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length, 5000))
        return "<none>";
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied,
                         5000)) {
        return "<none>";
    }
    return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

// A 32x32 bitmap compatible with the screen, selected into a memory DC.
struct IconCanvas {
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kIconSize; ++y) {
            for (int x = 0; x < kIconSize; ++x)
                pixels.push_back(GetPixel(memory.Get(), x, y));
        }
        return pixels;
    }

    TWindowDc screen{nullptr};
    TMemoryDc memory{screen.Get()};
    TGdiObject bitmap{CreateCompatibleBitmap(screen.Get(), kIconSize, kIconSize)};
    TSelection selected{memory.Get(), bitmap.Get()};
};

HWND FindIconControl(HWND box) {
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}

} // namespace

HWND FindMessageBox(DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindMessageBox(processId)) != nullptr; }, timeoutMs);
    return box;
}

std::string BoxCaption(HWND box) {
    return TextOf(box);
}

std::string BoxText(HWND box) {
    return TextOf(GetDlgItem(box, kMessageTextId));
}

bool BoxShowsIcon(HWND box, LPCSTR systemIcon) {
    const HWND icon = FindIconControl(box);
    if (icon == nullptr)
        return false;
    // A topmost viewer may cover the box; lifting the box makes its pixels readable from the screen.
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    IconCanvas expected;
    RECT background = {0, 0, kIconSize, kIconSize};
    FillRect(expected.memory.Get(), &background, GetSysColorBrush(COLOR_3DFACE));
    DrawIcon(expected.memory.Get(), 0, 0, LoadIconA(nullptr, systemIcon));
    const std::vector<COLORREF> wanted = expected.Pixels();

    // The box repaints on its own thread: poll until the screen shows the icon or time runs out.
    return WaitFor(
        [&] {
            RECT place;
            GetWindowRect(icon, &place);
            IconCanvas shot;
            BitBlt(shot.memory.Get(), 0, 0, kIconSize, kIconSize, shot.screen.Get(), place.left, place.top,
                   SRCCOPY);
            return shot.Pixels() == wanted;
        },
        2000);
}

bool DismissBox(HWND box, DWORD timeoutMs) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return WaitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
}

} // namespace e2e
