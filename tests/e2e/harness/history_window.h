#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The viewer's History window as a user and a program driving it see it: a list view (1001) that holds no
// rows of its own, the Find (1002) and Filter (1003) boxes, the status text (1004) and the Export button.
namespace e2e {

const int kHistoryList = 1001;
const int kHistoryFind = 1002;
const int kHistoryFilter = 1003;
const int kHistoryStatus = 1004;
const int kHistoryExport = 1005;

// The History window ("TfrmHistory") of the process, or nullptr.
HWND FindHistoryWindow(DWORD processId);
HWND WaitForHistoryWindow(DWORD processId, DWORD timeoutMs = 10000);

// A history file's line: "time<TAB>origin<TAB>text<CR><LF>", in UTF-8.
std::string HistoryEntry(const std::string& time, const std::string& origin, const std::string& text);
// Writes the bytes as the file of that name in the folder, making the folder first.
bool WriteHistoryFile(const std::string& folder, const std::string& name, const std::string& bytes);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

// Reads the rows of another process's list view: the text of a row needs a buffer in that process.
class HistoryList {
  public:
    HistoryList(HWND history, HANDLE process);
    ~HistoryList();
    HistoryList(const HistoryList&) = delete;
    HistoryList& operator=(const HistoryList&) = delete;

    bool Ready() const { return remote_ != nullptr; }
    HWND Handle() const { return list_; }
    int Count() const;
    int TopRow() const;
    int RowsPerPage() const;
    // The first selected row, -1 for none; and how many are selected.
    int Selected() const;
    int SelectedCount() const;
    // "time<TAB>origin<TAB>text" of a row as the list shows it, in UTF-8; "(unreadable)" on failure.
    std::string Row(int row) const;
    // The Text column of a row alone.
    std::string Text(int row) const;
    std::vector<std::string> Rows(int first, int count) const;
    // Every row, "time<TAB>origin<TAB>text" each.
    std::vector<std::string> AllRows() const;
    // The last row seen and selected as a click selects it.
    bool SelectRow(int row) const;

  private:
    std::wstring Cell(int row, int column) const;

    HWND list_ = nullptr;
    HANDLE process_ = nullptr;
    void* remote_ = nullptr;
};

// The status text (UTF-8).
std::string HistoryStatus(HWND history);
// Polls until the status text contains the part.
bool WaitForHistoryStatus(HWND history, const std::string& part, DWORD timeoutMs = 10000);
// Sets a box's text as typing would leave it (EN_CHANGE follows).
bool SetHistoryBox(HWND history, int id, const std::string& utf8);
// Waits for Unicode text that another program puts on the clipboard after `before` (a
// GetClipboardSequenceNumber), and gives it in UTF-8.
bool WaitForUnicodeClipboard(DWORD before, std::string& utf8, DWORD timeoutMs);

} // namespace e2e
