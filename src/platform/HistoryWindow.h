#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Guarded.h"
#include "platform/HistoryListView.h"
#include "platform/HistoryWrites.h"
#include "platform/Win32Dialogs.h"
#include "platform/Win32Handles.h"
#include "shell/SettingsStore.h"
#include "shell/historyview/HistoryForm.h"
#include "shell/historyview/HistoryViewer.h"

class IRegistry;
class THistoryOutputJob;
class THistorySource;

class TfrmHistoryWindow : public IHistoryViewer, public IErrorDisplay {
  public:
    // Controls, by id, for people and programs that drive the window.
    static constexpr int ListId = 1001;
    static constexpr int FindId = 1002;
    static constexpr int FilterId = 1003;
    static constexpr int StatusId = 1004;
    static constexpr int ExportId = 1005;

    // Posted by the history's writer after each write.
    static constexpr UINT WrittenMessage = WM_APP + 3;

    explicit TfrmHistoryWindow(IRegistry& registry);
    ~TfrmHistoryWindow() override;
    TfrmHistoryWindow(const TfrmHistoryWindow&) = delete;
    TfrmHistoryWindow& operator=(const TfrmHistoryWindow&) = delete;

    // The main window, which owns this one, and the writer to be told by; before the first opening.
    void SetOwner(HINSTANCE instance, HWND owner) {
        FInstance = instance;
        FOwner = owner;
    }
    void SetWrites(IHistoryWrites* writes) { FWrites = writes; }
    // IHistoryViewer: raises when the window cannot be made.
    void ShowHistory(const std::string& folder) override;
    void HistoryFolderChanged(const std::string& folder) override { UseFolder(folder); }
    // Stay on Top for the owner and this window together.
    void SetTopmostWithOwner(bool topmost);

    // Opens the window on the history in the folder, or brings the open one to the front (on that folder);
    // the Find box gets the focus. False when the window could not be made.
    bool Open(HINSTANCE instance, HWND owner, const std::string& folder);
    // The log file was switched: an open window shows the history in the new folder.
    void UseFolder(const std::string& folder);
    void Close();
    HWND Handle() const { return FWindow; }

    // IErrorDisplay: the viewer's general error box, over this window.
    void ShowUnexpectedError(const char* message) override;

  private:
    static constexpr UINT ChangedMessage = WM_APP + 1;
    static constexpr UINT JobDoneMessage = WM_APP + 2;
    static constexpr UINT OpenStepMessage = WM_APP + 4;
    static constexpr WPARAM MakeControlsStep = 1;
    static constexpr WPARAM ShowStep = 2;
    static constexpr UINT_PTR FilterTimerId = 1;
    static constexpr UINT_PTR ProgressTimerId = 2;
    static constexpr UINT_PTR ApplyTimerId = 3;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    template <typename THandler> void Guarded(THandler&& handler) {
        ::Guarded(*this, std::forward<THandler>(handler));
    }

    // Message handlers.
    bool FormCreate();
    bool CreateControls();
    void OpenStep(WPARAM step);
    void FormResize();
    void FormActivate(bool active);
    void FormDestroy();
    void Command(WORD id, WORD notification);
    LRESULT Notify(const NMHDR& header);
    void Timer(UINT_PTR id);
    void ModelChanged();
    void ApplyModel();
    void JobDone();
    bool ControlKey(HWND control, UINT message, WPARAM wParam);

    // What the user asks for.
    void FindTyped();
    void FindAgain(bool forward);
    void ApplyFilter();
    void ListScrolled();
    void CopyRows();
    void ExportRows();
    void FocusFind();
    void MoveFocus(HWND from, bool backward);

    void UseSource(const std::string& folder);
    void UpdateStatus();
    void ShowErrorBox(const std::wstring& text);
    std::wstring BoxText(HWND control) const;
    WNDPROC& OriginalProc(HWND control);
    int Scaled(int pixels) const { return ::MulDiv(pixels, FDpi, 96); }

    TSettingsStore FSettings;
    HWND FWindow = nullptr;
    HINSTANCE FInstance = nullptr;
    HWND FOwner = nullptr;
    IHistoryWrites* FWrites = nullptr;
    int FDpi = 96;
    TGdiObject FFont;
    THistoryListView FList;
    HWND FFindBox = nullptr;
    HWND FFilterBox = nullptr;
    HWND FStatus = nullptr;
    HWND FExportButton = nullptr;
    HWND FFindLabel = nullptr;
    HWND FFilterLabel = nullptr;
    HWND FLastFocus = nullptr;
    WNDPROC FListProc = nullptr;
    WNDPROC FFindProc = nullptr;
    WNDPROC FFilterProc = nullptr;
    WNDPROC FButtonProc = nullptr;
    // Between the window's making and its showing; the folder it is to show then.
    bool FOpening = false;
    std::string FOpeningFolder;
    TWin32Dialogs FDialogs;
    std::string FExportName;
    std::wstring FStatusShown;
    // When the list last took the model's changes, and whether the next waits for the timer.
    DWORD FLastApplied = 0;
    bool FApplyWaiting = false;

    // Declared in the order they go: the jobs share the source, the form draws from its model.
    std::shared_ptr<THistorySource> FSource;
    std::unique_ptr<THistoryOutputJob> FExportJob;
    std::unique_ptr<THistoryOutputJob> FCopyJob;
    TfrmHistory FForm{FList};
};
