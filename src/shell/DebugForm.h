#pragma once

#include <exception>
#include <string>

#include "channel/ClientCommands.h"
#include "pane/MessagePane.h"
#include "shell/SettingsStore.h"

class IClock;
class IFileSystem;
class IMainWindow;
class IPaneControl;
class IRegistry;
class TMapList;

extern const char* const ViewerTitle;

// Everything the viewer's logic reaches the platform through.
struct TfrmDebugServices {
    IMainWindow& Window;
    IPaneControl& Pane;
    IFileSystem& Files;
    IRegistry& Registry;
    TMapList& Maps;
    IClock& Clock;
};

// The viewer's main window: its switches, its log file, the start-up and
// close sequences and the operations on the pane.
class TfrmDebug : public IClientCommandTarget {
public:
    explicit TfrmDebug(const TfrmDebugServices& services);

    // Start-up sequence. Raises a conversion error for a bad placement value
    // after having applied everything before it.
    void FormCreate();
    // Close sequence; raises when the log file cannot be written, and the
    // window must then stay open. Returns whether the window may close.
    bool FormCloseQuery();
    // The end of the user's session is announced: everything is saved as at
    // a close, but the channel stays open in case the end is cancelled.
    bool FormQueryEndSession();
    void FormEndSession(bool ending);

    // The general error display.
    void ShowException(const std::exception& error);
    void ShowException(const std::string& message);

    void HandleClientCommand(unsigned message);

    void DoPrint(const std::string& text) override;
    void DoClear() override;
    void DoLoadFromFile(const std::string& fileName) override;
    void DoSaveToFile(const std::string& fileName) override;
    void DoSetLogFile(const std::string& fileName) override;
    void DoMark();

    bool StayOnTop() const { return FStayOnTop; }
    void SetStayOnTop(bool on);
    bool ToolbarShown() const;
    void SetToolbarShown(bool shown);
    bool DebugOutput() const { return FDebugOutput; }
    void SetDebugOutput(bool on) { FDebugOutput = on; }
    bool LogConnect() const { return FLogConnect; }
    void SetLogConnect(bool on);

    const std::string& LogFile() const { return FLogFile; }
    bool OtherInstanceFound() const { return FOtherInstanceFound; }

private:
    void LoadLogFile();
    void SaveIntoLogFile();
    void SaveSettings();
    void ApplyPlacementSettings();

    TfrmDebugServices FServices;
    TMessagePane FPane;
    TSettingsStore FSettings;

    bool FStayOnTop = true;
    bool FDebugOutput = true;
    bool FLogConnect = true;
    std::string FLogFile;
    // The log file could not be read: it must not be overwritten by the pane.
    bool FLogFileUnread = false;
    bool FOtherInstanceFound = false;
};
