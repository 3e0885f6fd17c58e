#include "platform/ToolbarPanel.h"

namespace {
const char* const PanelClassName = "TDravikPanel";
}

bool TToolbarPanel::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TToolbarPanel::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = PanelClassName;
    return ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND TToolbarPanel::Create(HWND parent, HINSTANCE instance) {
    return ::CreateWindowExA(WS_EX_CONTROLPARENT, PanelClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, 0, 0, parent, nullptr, instance, nullptr);
}

LRESULT CALLBACK TToolbarPanel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return ::SendMessageA(::GetParent(window), message, wParam, lParam);
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}
