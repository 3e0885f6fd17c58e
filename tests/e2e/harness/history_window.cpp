#include "history_window.h"

#include "wait.h"

#include <commctrl.h>

#include <cstdio>

namespace e2e {

namespace {

// Room for the item and the text of one cell.
const std::size_t kRemoteBytes = 64 * 1024;
const int kCellChars = 8192;

struct FindContext {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindHistory(HWND window, LPARAM parameter) {
    auto* context = reinterpret_cast<FindContext*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    if (owner == context->processId && GetClassNameW(window, className, 64) > 0 &&
        std::wstring(className) == L"TfrmHistory") {
        context->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindHistoryWindow(DWORD processId) {
    FindContext context{processId, nullptr};
    EnumWindows(&FindHistory, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

HWND WaitForHistoryWindow(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindHistoryWindow(processId)) != nullptr && IsWindowVisible(found); },
            timeoutMs);
    return found;
}

std::string HistoryEntry(const std::string& time, const std::string& origin, const std::string& text) {
    return time + "\t" + origin + "\t" + text + "\r\n";
}

bool WriteHistoryFile(const std::string& folder, const std::string& name, const std::string& bytes) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], length, nullptr,
                        nullptr);
    return utf8;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], length);
    return text;
}

HistoryList::HistoryList(HWND history, HANDLE process)
    : list_(GetDlgItem(history, kHistoryList)), process_(process) {
    if (list_ && process_)
        remote_ = VirtualAllocEx(process_, nullptr, kRemoteBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

HistoryList::~HistoryList() {
    if (remote_)
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
}

int HistoryList::Count() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

int HistoryList::TopRow() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
}

int HistoryList::RowsPerPage() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
}

int HistoryList::Selected() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int HistoryList::SelectedCount() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0));
}

// The item and its text buffer lie in the viewer's process; the list fills the buffer there.
std::wstring HistoryList::Cell(int row, int column) const {
    if (!remote_)
        return L"(unreadable)";
    auto* base = static_cast<char*>(remote_);
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(base + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kCellChars;
    SIZE_T moved = 0;
    if (!WriteProcessMemory(process_, base, &item, sizeof item, &moved))
        return L"(unreadable)";
    const LRESULT length =
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(base));
    if (length < 0)
        return L"(unreadable)";
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (length > 0 && !ReadProcessMemory(process_, remoteText, &text[0],
                                         static_cast<SIZE_T>(length) * sizeof(wchar_t), &moved))
        return L"(unreadable)";
    return text;
}

std::string HistoryList::Row(int row) const {
    return Utf8(Cell(row, 0)) + "\t" + Utf8(Cell(row, 1)) + "\t" + Utf8(Cell(row, 2));
}

std::string HistoryList::Text(int row) const {
    return Utf8(Cell(row, 2));
}

std::vector<std::string> HistoryList::Rows(int first, int count) const {
    std::vector<std::string> rows;
    for (int row = first; row < first + count; ++row)
        rows.push_back(Row(row));
    return rows;
}

std::vector<std::string> HistoryList::AllRows() const {
    return Rows(0, Count());
}

bool HistoryList::SelectRow(int row) const {
    if (!remote_)
        return false;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SIZE_T moved = 0;
    // Nothing selected first, then the row alone, with the focus.
    if (!WriteProcessMemory(process_, remote_, &item, sizeof item, &moved) ||
        !SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote_)))
        return false;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!WriteProcessMemory(process_, remote_, &item, sizeof item, &moved) ||
        !SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote_)))
        return false;
    return SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE) != 0;
}

std::string HistoryStatus(HWND history) {
    wchar_t text[1024] = {};
    GetWindowTextW(GetDlgItem(history, kHistoryStatus), text, 1024);
    return Utf8(text);
}

bool WaitForHistoryStatus(HWND history, const std::string& part, DWORD timeoutMs) {
    return WaitFor([&] { return HistoryStatus(history).find(part) != std::string::npos; }, timeoutMs);
}

bool SetHistoryBox(HWND history, int id, const std::string& utf8) {
    const std::wstring text = Wide(utf8);
    return SendMessageW(GetDlgItem(history, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

} // namespace e2e

namespace e2e {

bool WaitForUnicodeClipboard(DWORD before, std::string& utf8, DWORD timeoutMs) {
    utf8.clear();
    const auto read = [&utf8] {
        if (!OpenClipboard(nullptr))
            return false;
        const HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (text) {
            utf8 = Utf8(text);
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text != nullptr;
    };
    return WaitFor([before] { return GetClipboardSequenceNumber() != before; }, timeoutMs) &&
           WaitFor(read, timeoutMs);
}

} // namespace e2e
