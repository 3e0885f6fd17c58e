#include "platform/AboutBox.h"

#include "resource.h"

namespace {
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
} // namespace

void ShowAboutBox(HWND owner) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, &AboutProc, 0);
}
