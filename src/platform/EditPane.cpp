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

void TEditPane::ReplaceSelection(const char* text) {
    ::SendMessageA(FEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    if (!FInBatch)
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

namespace {
SCROLLINFO ScrollState(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(window, bar, &info);
    return info;
}

bool SameScrollState(const SCROLLINFO& a, const SCROLLINFO& b) {
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}
} // namespace

// Every edit of a visible control repaints it and its scroll bars at once,
// which costs far more than the edit itself. The control is therefore
// marked invisible while a batch is put in, without being hidden from the
// screen, and drawn once afterwards.
void TEditPane::BeginBatch() {
    FInBatch = true;
    FBatchStyle = ::GetWindowLongA(FEdit, GWL_STYLE);
    FBatchScroll[0] = ScrollState(FEdit, SB_HORZ);
    FBatchScroll[1] = ScrollState(FEdit, SB_VERT);
    if (FBatchStyle & WS_VISIBLE)
        ::SetWindowLongA(FEdit, GWL_STYLE, FBatchStyle & ~WS_VISIBLE);
}

bool TEditPane::EndBatch(bool drawScrollBars) {
    FInBatch = false;
    if (FBatchStyle & WS_VISIBLE)
        ::SetWindowLongA(FEdit, GWL_STYLE, FBatchStyle);
    ::SendMessageA(FEdit, EM_SCROLLCARET, 0, 0);
    if (!(FBatchStyle & WS_VISIBLE))
        return false;
    // Drawn now rather than at the next idle moment: the picture is then
    // exactly the text, and no paint is left waiting for a later batch.
    // Scroll bars cost several times what the text does to draw, so a flood
    // may have them drawn less often than the text.
    const bool scrollBarsChanged = !SameScrollState(FBatchScroll[0], ScrollState(FEdit, SB_HORZ)) ||
                                   !SameScrollState(FBatchScroll[1], ScrollState(FEdit, SB_VERT));
    const bool withScrollBars = scrollBarsChanged && drawScrollBars;
    ::RedrawWindow(FEdit, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | (withScrollBars ? RDW_FRAME : 0));
    return scrollBarsChanged && !drawScrollBars;
}

void TEditPane::RedrawScrollBars() {
    ::RedrawWindow(FEdit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}
