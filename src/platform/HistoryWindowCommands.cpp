// What the user does in the History window: typing in the boxes, the keys, the list's notices, Copy and
// Export.
#include "platform/HistoryWindow.h"

#include <commctrl.h>

#include <stdexcept>

#include "common/Utf8.h"
#include "platform/HistoryOutputJob.h"
#include "platform/HistorySource.h"

namespace {

// The Filter box applies its terms once the typing pauses this long.
const UINT FilterPauseMs = 300;
const UINT ProgressIntervalMs = 250;

bool KeyDown(int virtualKey) {
    return (::GetKeyState(virtualKey) & 0x8000) != 0;
}

std::string Utf8From(const std::wstring& text) {
    return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

} // namespace

WNDPROC& TfrmHistoryWindow::OriginalProc(HWND control) {
    if (control == FFindBox)
        return FFindProc;
    if (control == FFilterBox)
        return FFilterProc;
    if (control == FExportButton)
        return FButtonProc;
    return FListProc;
}

LRESULT CALLBACK TfrmHistoryWindow::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self =
        reinterpret_cast<TfrmHistoryWindow*>(::GetWindowLongPtrW(::GetParent(control), GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(control, message, wParam, lParam);
    const WNDPROC original = self->OriginalProc(control);
    bool handled = false;
    self->Guarded(
        [self, control, message, wParam, &handled] { handled = self->ControlKey(control, message, wParam); });
    if (handled)
        return 0;
    const LRESULT result = control == self->FList.Handle()
                               ? self->FList.UserInput(original, message, wParam, lParam)
                               : ::CallWindowProcW(original, control, message, wParam, lParam);
    // Scrolling the list by its bar or the wheel stops Follow, or starts it again at the last row.
    if (control == self->FList.Handle() && (message == WM_VSCROLL || message == WM_MOUSEWHEEL))
        self->Guarded([self] { self->ListScrolled(); });
    return result;
}

// True when the key was the window's and the control is not to see it.
bool TfrmHistoryWindow::ControlKey(HWND control, UINT message, WPARAM wParam) {
    const bool list = control == FList.Handle();
    if (message == WM_CHAR) {
        // The characters of the keys taken below would beep, or search the list by its first letters.
        return wParam == L'\r' || wParam == L'\t' || wParam == 1 || wParam == 3 || wParam == 6 ||
               (list && wParam == 27);
    }
    if (message != WM_KEYDOWN)
        return false;
    const bool control_ = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    switch (wParam) {
    case VK_F3:
        FindAgain(!shift);
        return true;
    case VK_RETURN:
        if (control == FFindBox) {
            FindAgain(!shift);
            return true;
        }
        if (control == FFilterBox) {
            ::KillTimer(FWindow, FilterTimerId);
            ApplyFilter();
            return true;
        }
        return false;
    case VK_TAB:
        if (control_)
            return false;
        MoveFocus(control, shift);
        return true;
    case 'F':
        if (!control_)
            return false;
        FocusFind();
        return true;
    case 'A':
        if (!control_)
            return false;
        if (list)
            FForm.SelectAll();
        else
            ::SendMessageW(control, EM_SETSEL, 0, -1);
        return true;
    case 'C':
        if (!control_ || !list)
            return false;
        CopyRows();
        return true;
    case VK_END:
        if (!list)
            return false;
        // At the last row already, End moves nothing the list tells of: Follow starts again here.
        FList.UserInput(FListProc, WM_KEYDOWN, wParam, 0);
        FForm.SelectionMoved();
        ListScrolled();
        return true;
    default:
        return false;
    }
}

void TfrmHistoryWindow::MoveFocus(HWND from, bool backward) {
    const HWND order[] = {FFindBox, FFilterBox, FExportButton, FList.Handle()};
    const int count = static_cast<int>(sizeof order / sizeof order[0]);
    int at = 0;
    while (at < count && order[at] != from)
        ++at;
    for (int step = 1; step <= count; ++step) {
        const HWND next = order[((backward ? at - step : at + step) % count + count) % count];
        if (::IsWindowEnabled(next)) {
            ::SetFocus(next);
            if (next == FFindBox || next == FFilterBox)
                ::SendMessageW(next, EM_SETSEL, 0, -1);
            return;
        }
    }
}

void TfrmHistoryWindow::FocusFind() {
    if (!FFindBox)
        return;
    ::SetFocus(FFindBox);
    ::SendMessageW(FFindBox, EM_SETSEL, 0, -1);
}

void TfrmHistoryWindow::Command(WORD id, WORD notification) {
    if (id == FindId && notification == EN_CHANGE) {
        FindTyped();
    } else if (id == FilterId && notification == EN_CHANGE) {
        ::SetTimer(FWindow, FilterTimerId, FilterPauseMs, nullptr);
    } else if (id == ExportId && notification == BN_CLICKED) {
        ExportRows();
    }
}

LRESULT TfrmHistoryWindow::Notify(const NMHDR& header) {
    if (header.hwndFrom != FList.Handle())
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        THistoryListView::FillItem(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)), FForm);
        return 0;
    case LVN_ODFINDITEMW:
    case LVN_ODFINDITEMA:
        // Typing in the list searches nothing: the Find box does.
        return -1;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0 &&
            ((change.uNewState ^ change.uOldState) & (LVIS_FOCUSED | LVIS_SELECTED)) != 0) {
            FForm.SelectionMoved();
            UpdateStatus();
        }
        return 0;
    }
    case LVN_ODSTATECHANGED:
        FForm.SelectionMoved();
        UpdateStatus();
        return 0;
    default:
        return 0;
    }
}

void TfrmHistoryWindow::Timer(UINT_PTR id) {
    if (id == FilterTimerId) {
        ::KillTimer(FWindow, FilterTimerId);
        ApplyFilter();
    } else if (id == ApplyTimerId) {
        ::KillTimer(FWindow, ApplyTimerId);
        ApplyModel();
    } else if (id == ProgressTimerId && FExportJob) {
        FForm.SetNotice("exporting: " + std::to_string(FExportJob->RowsWritten()) + " lines written");
        UpdateStatus();
    }
}

void TfrmHistoryWindow::FindTyped() {
    FForm.FindTyped(Utf8From(BoxText(FFindBox)));
    if (FSource)
        FSource->Wake();
    UpdateStatus();
}

void TfrmHistoryWindow::FindAgain(bool forward) {
    FForm.FindAgain(forward);
    if (FSource)
        FSource->Wake();
    UpdateStatus();
}

void TfrmHistoryWindow::ApplyFilter() {
    if (FForm.FilterTyped(Utf8From(BoxText(FFilterBox))) && FSource)
        FSource->Wake();
    UpdateStatus();
}

void TfrmHistoryWindow::ListScrolled() {
    FForm.ListScrolled();
    UpdateStatus();
}

void TfrmHistoryWindow::CopyRows() {
    const std::vector<TRowRange> ranges = FForm.SelectedRanges();
    if (!FSource || ranges.empty())
        return;
    FCopyJob.reset();
    FCopyJob = THistoryOutputJob::Copy(FSource, ranges, FWindow, JobDoneMessage);
    if (!FCopyJob)
        throw std::runtime_error("Cannot start copying");
    FForm.SetNotice("copying");
    UpdateStatus();
}

// Every row shown, as the list shows them now, into a file the save dialog names.
void TfrmHistoryWindow::ExportRows() {
    if (!FSource || FExportJob)
        return;
    std::string fileName = FExportName;
    if (!FDialogs.ChooseFileToSave(fileName))
        return;
    FExportName = fileName;
    std::vector<TRowRange> ranges;
    if (FForm.RowCount() > 0)
        ranges.push_back(TRowRange{0, FForm.RowCount() - 1});
    FExportJob = THistoryOutputJob::Export(FSource, ranges, fileName, FWindow, JobDoneMessage);
    if (!FExportJob)
        throw std::runtime_error("Cannot start the export");
    if (::GetFocus() == FExportButton)
        ::SetFocus(FList.Handle());
    ::EnableWindow(FExportButton, FALSE);
    ::SetTimer(FWindow, ProgressTimerId, ProgressIntervalMs, nullptr);
    FForm.SetNotice("exporting");
    UpdateStatus();
}
