#include "pane.h"

#include <vector>

namespace e2e {

namespace {

struct EditSearch {
    HWND first = nullptr;
    int count = 0;
};

BOOL CALLBACK CollectEdit(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<EditSearch*>(parameter);
    char className[32];
    if (GetClassNameA(child, className, sizeof className) > 0 && lstrcmpiA(className, "Edit") == 0) {
        if (search->count++ == 0)
            search->first = child;
    }
    return TRUE;
}

EditSearch SearchEdits(HWND viewer) {
    EditSearch search;
    if (viewer != nullptr)
        EnumChildWindows(viewer, CollectEdit, reinterpret_cast<LPARAM>(&search));
    return search;
}

} // namespace

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                     DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
        return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

int CountEditChildren(HWND viewer) {
    return SearchEdits(viewer).count;
}

HWND FindPane(HWND viewer) {
    return SearchEdits(viewer).first;
}

bool ReadWindowText(HWND window, std::string& text) {
    text.clear();
    LRESULT length = 0;
    if (window == nullptr || !SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length))
        return false;
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied))
        return false;
    text.assign(buffer.data(), static_cast<std::size_t>(copied));
    return true;
}

std::string TextOfWindow(HWND window) {
    std::string text;
    return ReadWindowText(window, text) ? text : std::string("<none>");
}

bool ReadPane(HWND viewer, std::string& text) {
    return ReadWindowText(FindPane(viewer), text);
}

std::string PaneText(HWND viewer) {
    std::string text;
    return ReadPane(viewer, text) ? text : std::string("<no pane>");
}

} // namespace e2e
