#include "platform/PanePainter.h"

#include <algorithm>

#include "pane/PaneTail.h"

namespace {
// Whatever the painting selects into the device context is undone with it.
class TSavedDcState {
  public:
    explicit TSavedDcState(HDC dc) : FDc(dc), FSaved(::SaveDC(dc)) {}
    ~TSavedDcState() {
        if (FSaved != 0)
            ::RestoreDC(FDc, FSaved);
    }
    TSavedDcState(const TSavedDcState&) = delete;
    TSavedDcState& operator=(const TSavedDcState&) = delete;
    bool Saved() const { return FSaved != 0; }

  private:
    HDC FDc;
    int FSaved;
};
} // namespace

bool TPanePainter::Paint(HDC dc, const std::string& text) const {
    if (!FFont)
        return false;
    RECT client{};
    RECT format{};
    if (!::GetClientRect(FEdit, &client))
        return false;
    ::SendMessageA(FEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const TSavedDcState state(dc);
    if (!state.Saved() || !::SelectObject(dc, FFont))
        return false;
    TEXTMETRICA metrics{};
    if (!::GetTextMetricsA(dc, &metrics) || metrics.tmHeight <= 0)
        return false;
    const int lineHeight = metrics.tmHeight;
    const int wholeLines = std::max(1L, (format.bottom - format.top) / lineHeight);

    const std::vector<TLineSpan> lines = LastLines(text, static_cast<std::size_t>(wholeLines));
    for (const TLineSpan& line : lines) {
        if (!IsPlainLine(text, line))
            return false;
    }
    // The control keeps the caret, at the end of the last line, in view; an
    // empty caret line brings it back to the left edge, a long one might not.
    const TLineSpan& caretLine = lines.back();
    if (caretLine.Length != 0) {
        SIZE extent{};
        if (::GetScrollPos(FEdit, SB_HORZ) != 0 ||
            !::GetTextExtentPoint32A(dc, text.data() + caretLine.Start, static_cast<int>(caretLine.Length),
                                     &extent) ||
            extent.cx >= format.right - format.left)
            return false;
    }

    // The owner chooses the colours, as it does for the control's own drawing.
    HBRUSH background = reinterpret_cast<HBRUSH>(::SendMessageA(
        ::GetParent(FEdit), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(FEdit)));
    if (!background)
        background = ::GetSysColorBrush(COLOR_WINDOW);
    ::FillRect(dc, &client, background);
    // Text stays inside the formatting rectangle, as the control keeps it.
    ::IntersectClipRect(dc, format.left, format.top, format.right, format.bottom);
    int top = format.top;
    for (const TLineSpan& line : lines) {
        ::TextOutA(dc, format.left, top, text.data() + line.Start, static_cast<int>(line.Length));
        top += lineHeight;
    }
    return true;
}
