#include "platform/HistoryListView.h"

#include <algorithm>

namespace {

struct TColumn {
    const wchar_t* Caption;
    int Width; // pixels at 96 dots per inch
};
const TColumn Columns[] = {{L"Time", 150}, {L"Origin", 130}, {L"Text", 640}};

// A selection this large is cleared in one call for all rows rather than row by row.
const UINT ClearRowByRowUpTo = 1000;

} // namespace

bool THistoryListView::Create(HWND parent, HINSTANCE instance, int id, int dpi) {
    FList = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!FList)
        return false;
    ::SendMessageW(FList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof Columns / sizeof Columns[0]); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(Columns[i].Caption);
        column.cx = ::MulDiv(Columns[i].Width, dpi, 96);
        column.iSubItem = i;
        if (::SendMessageW(FList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) != i)
            return false;
    }
    return true;
}

void THistoryListView::FillItem(NMLVDISPINFOW& info, TfrmHistory& form) {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || !item.pszText || item.cchTextMax <= 0)
        return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0)
        return;
    const THistoryRow* row = form.Row(static_cast<std::uint32_t>(item.iItem));
    if (!row)
        return;
    const std::u16string& text = item.iSubItem == 0   ? row->Time
                                 : item.iSubItem == 1 ? row->Origin
                                                      : row->Text;
    const std::size_t length =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), item.pszText);
    item.pszText[length] = L'\0';
}

std::uint32_t THistoryListView::Count() const {
    return static_cast<std::uint32_t>(::SendMessageW(FList, LVM_GETITEMCOUNT, 0, 0));
}

void THistoryListView::SetRowCount(std::uint32_t count) {
    if (count != Count())
        ::SendMessageW(FList, LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

std::uint32_t THistoryListView::TopRow() const {
    const LRESULT top = ::SendMessageW(FList, LVM_GETTOPINDEX, 0, 0);
    return top > 0 ? static_cast<std::uint32_t>(top) : 0;
}

std::uint32_t THistoryListView::RowsPerPage() const {
    const LRESULT rows = ::SendMessageW(FList, LVM_GETCOUNTPERPAGE, 0, 0);
    return rows > 0 ? static_cast<std::uint32_t>(rows) : 1;
}

// Scrolling up, the row shown at last is the top one; scrolling down, the row a page below it is the
// bottom one.
void THistoryListView::ScrollTo(std::uint32_t top) {
    const std::uint32_t count = Count();
    if (count == 0)
        return;
    top = std::min(top, count - 1);
    const std::uint32_t current = TopRow();
    if (top < current)
        ShowRow(top);
    else if (top > current)
        ShowRow(static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t(top) + RowsPerPage(), count) - 1));
}

void THistoryListView::ShowRow(std::uint32_t row) {
    ::SendMessageW(FList, LVM_ENSUREVISIBLE, row, FALSE);
}

bool THistoryListView::FocusedRow(std::uint32_t& row) const {
    const LRESULT focused = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused < 0 || ::SendMessageW(FList, LVM_GETITEMSTATE, focused, LVIS_SELECTED) == 0)
        return false;
    row = static_cast<std::uint32_t>(focused);
    return true;
}

// A selection made with Ctrl+A or with Shift is one stretch: told apart from any other in a few calls,
// where going through it row by row would take the list millions.
std::vector<TRowRange> THistoryListView::SelectedRanges() const {
    std::vector<TRowRange> ranges;
    const LRESULT selected = ::SendMessageW(FList, LVM_GETSELECTEDCOUNT, 0, 0);
    const LRESULT first = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (selected <= 0 || first < 0)
        return ranges;
    const LRESULT last = first + selected - 1;
    if (::SendMessageW(FList, LVM_GETITEMSTATE, last, LVIS_SELECTED) != 0 &&
        ::SendMessageW(FList, LVM_GETNEXTITEM, last, LVNI_SELECTED) < 0) {
        ranges.push_back(TRowRange{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last)});
        return ranges;
    }
    for (LRESULT item = first; item >= 0;
         item = ::SendMessageW(FList, LVM_GETNEXTITEM, item, LVNI_SELECTED)) {
        const std::uint32_t row = static_cast<std::uint32_t>(item);
        if (!ranges.empty() && ranges.back().Last + 1 == row)
            ranges.back().Last = row;
        else
            ranges.push_back(TRowRange{row, row});
    }
    return ranges;
}

void THistoryListView::SetState(int item, UINT state, UINT mask) const {
    LVITEMW change{};
    change.state = state;
    change.stateMask = mask;
    ::SendMessageW(FList, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

// Some lists take a call per row to clear a selection, and redraw each row on the way; a list made
// empty has nothing selected, so a large selection goes that way.
void THistoryListView::ClearSelection() {
    const LRESULT selected = ::SendMessageW(FList, LVM_GETSELECTEDCOUNT, 0, 0);
    if (selected > static_cast<LRESULT>(ClearRowByRowUpTo)) {
        const std::uint32_t count = Count();
        const std::uint32_t top = TopRow();
        HoldDrawing();
        ::SendMessageW(FList, LVM_SETITEMCOUNT, 0, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        ::SendMessageW(FList, LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        ReleaseDrawing();
        ScrollTo(top);
    } else if (selected > 0) {
        for (LRESULT item = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
             item >= 0; item = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
            SetState(static_cast<int>(item), 0, LVIS_SELECTED);
    }
    const LRESULT focused = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused >= 0)
        SetState(static_cast<int>(focused), 0, LVIS_FOCUSED);
}

bool THistoryListView::HasLargeSelection() const {
    return ::SendMessageW(FList, LVM_GETSELECTEDCOUNT, 0, 0) > static_cast<LRESULT>(ClearRowByRowUpTo);
}

// Without its drawing, the list does not redraw each row whose state changes; when the drawing comes back,
// it draws what it shows then. Wine's list does not scroll meanwhile: scrolling waits for the release.
void THistoryListView::HoldDrawing() {
    if (FHeld++ == 0)
        ::SendMessageW(FList, WM_SETREDRAW, FALSE, 0);
}

void THistoryListView::ReleaseDrawing() {
    if (FHeld > 0 && --FHeld == 0) {
        ::SendMessageW(FList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(FList, nullptr, TRUE);
    }
}

// Rows change state one by one with the list's drawing held, which would otherwise redraw each of them
// (Wine's list takes some 60 microseconds a row that way, and under a microsecond without).
void THistoryListView::Select(const std::vector<TRowRange>& ranges, std::uint32_t focus) {
    ClearSelection();
    const std::uint32_t count = Count();
    std::uint64_t rows = 0;
    for (const TRowRange& range : ranges)
        if (range.First < count)
            rows += std::min(range.Last, count - 1) - range.First + 1;
    const bool held = rows > ClearRowByRowUpTo;
    if (held)
        HoldDrawing();
    for (const TRowRange& range : ranges) {
        if (range.First >= count)
            continue;
        const std::uint32_t last = std::min(range.Last, count - 1);
        if (range.First == 0 && last + 1 == count) {
            SetState(-1, LVIS_SELECTED, LVIS_SELECTED);
            break;
        }
        for (std::uint32_t row = range.First; row <= last; ++row)
            SetState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focus < count) {
        SetState(static_cast<int>(focus), LVIS_FOCUSED, LVIS_FOCUSED);
        ::SendMessageW(FList, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(focus));
    }
    if (held)
        ReleaseDrawing();
}

// What the user does to the list itself: a plain click or move replaces a large selection, which goes at
// once; a click or move with Shift selects a stretch with the drawing held.
LRESULT THistoryListView::UserInput(WNDPROC original, UINT message, WPARAM wParam, LPARAM lParam) {
    bool extends = false;
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
        extends = (wParam & (MK_SHIFT | MK_CONTROL)) != 0;
    } else if (message == WM_KEYDOWN) {
        switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            extends = (::GetKeyState(VK_SHIFT) & 0x8000) != 0 || (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
            break;
        default:
            return ::CallWindowProcW(original, FList, message, wParam, lParam);
        }
    } else {
        return ::CallWindowProcW(original, FList, message, wParam, lParam);
    }
    if (!extends) {
        if (HasLargeSelection())
            ClearSelection();
        return ::CallWindowProcW(original, FList, message, wParam, lParam);
    }
    HoldDrawing();
    const LRESULT result = ::CallWindowProcW(original, FList, message, wParam, lParam);
    ReleaseDrawing();
    const LRESULT focused = ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused >= 0)
        ShowRow(static_cast<std::uint32_t>(focused));
    return result;
}
