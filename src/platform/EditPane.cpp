#include "platform/EditPane.h"

#include <vector>

std::size_t TEditPane::TextLength() const {
    return static_cast<std::size_t>(::GetWindowTextLengthA(FEdit));
}

std::string TEditPane::Text() const {
    const int length = ::GetWindowTextLengthA(FEdit);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = ::GetWindowTextA(FEdit, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void TEditPane::Select(std::size_t start, std::size_t length) {
    ::SendMessageA(FEdit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

std::size_t TEditPane::SelectionLength() const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(FEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end > start ? end - start : 0;
}

void TEditPane::ReplaceSelection(const std::string& text) {
    ::SendMessageA(FEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(FEdit, EM_SCROLLCARET, 0, 0);
}

bool TEditPane::SetText(const std::string& text) {
    return ::SetWindowTextA(FEdit, text.c_str()) != FALSE;
}

void TEditPane::CutToClipboard() {
    ::SendMessageA(FEdit, WM_CUT, 0, 0);
}

void TEditPane::CopyToClipboard() {
    ::SendMessageA(FEdit, WM_COPY, 0, 0);
}

void TEditPane::PasteFromClipboard() {
    ::SendMessageA(FEdit, WM_PASTE, 0, 0);
}
