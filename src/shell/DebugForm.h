#pragma once

#include <exception>
#include <string>

#include "channel/ClientCommands.h"
#include "pane/MessagePane.h"
#include "shell/LinePath.h"
#include "shell/PanePlace.h"
#include "shell/RecoveryFile.h"
#include "shell/SettingsStore.h"
#include "shell/Switches.h"
#include "shell/WindowsOutputCapture.h"
#include "shell/history/HistoryPart.h"
#include "shell/network/SyslogNetwork.h"

class IClock;
class IDialogs;
class IFileSystem;
class IHistoryViewer;
class IFromUtf8;
class IHistoryStore;
class IInstanceCheck;
class IMessageBoxes;
class IWindowPlacement;
class IWindowSwitches;
class IRegistry;
class IWindowsOutput;
class IProcessNames;
class TMapList;
class TPaneBuffer;
class TPanePacing;

extern const char* const ViewerTitle;
// The title a viewer's window carries until it has made sure that it is the only viewer.
extern const char* const InstanceCheckTitle;

// Everything the viewer's logic reaches the platform through.
struct TfrmDebugServices {
    IInstanceCheck& Instance;
    IWindowSwitches& Switches;
    IWindowPlacement& Placement;
    IMessageBoxes& Boxes;
    TPaneBuffer& Pane;
    IFileSystem& Files;
    IRegistry& Registry;
    TMapList& Maps;
    IClock& Clock;
    IDialogs& Dialogs;
    IWindowsOutput& WindowsOutput;
    IRecoveryWriter& RecoveryWriter;
    IHistoryViewer& HistoryViewer;
    IProcessNames& ProcessNames;
    IHistoryStore& History;
    IFromUtf8& FromUtf8;
    TNetworkServices Network;
};

// The viewer's main window: its switches, its log file, the start-up and
// close sequences and the operations on the pane.
class TfrmDebug {
  public:
    explicit TfrmDebug(const TfrmDebugServices& services);

    // Start-up sequence. Raises a conversion error for a bad placement value
    // after having applied everything before it.
    void FormCreate();
    // The pane's control has been made and takes the pane's text.
    void FormShow(TPanePacing& pacing);
    // Close sequence; raises when the log file cannot be written, and the
    // window must then stay open. Returns whether the window may close.
    bool FormCloseQuery();
    // The end of the user's session is announced: everything is saved as at
    // a close, but the channel stays open in case the end is cancelled.
    bool FormQueryEndSession();
    void FormEndSession(bool ending);
    // The window's timer, every RecoveryInterval from the moment the window
    // is shown: keeps the pane's recovery copy up to date.
    void tmrRecoveryTimer();
    // The window could not have its timer: no recovery copy is kept.
    void RecoveryTimerUnavailable() { FRecovery.Unavailable(FLogFile); }

    // The general error display.
    void ShowException(const std::exception& error);
    void ShowException(const std::string& message);

    // A client's command message: what it asks for is read first, and the
    // sender may go on once a print's text is read; then it is carried out.
    TClientCommand ReadClientCommand(unsigned message) const;
    void HandleClientCommand(TClientCommand command);

    // Where every line goes: sources hand their lines here.
    TLineDistributor& Lines() { return FLines; }
    // The history's writer has something to say: printed as the viewer's own lines.
    void HistoryNotices();
    // A line of the viewer's own, on the line path like every other.
    void PrintOwnLine(std::string text);

    // The pane operations.
    void DoPrint(const std::string& text);
    void DoClear();
    void DoLoadFromFile(const std::string& fileName);
    void DoSaveToFile(const std::string& fileName);
    void DoSetLogFile(const std::string& fileName);
    void DoMark();

    // Windows' own debug output has arrived, or the capture's timer ticked.
    // now is the channel reader's clock in milliseconds. True when any line
    // was handed on.
    bool WindowsOutputArrived(unsigned now) { return FCapture.Collect(now, DebugOutput()); }
    // Syslog from the network has arrived; the forwarder has something to say.
    void NetworkLinesArrived() { FNetwork.LinesArrived(DebugOutput()); }
    void NetworkNoticesArrived() { FNetwork.NoticesArrived(); }

    // The check boxes. Changing one from code runs its click handler exactly
    // as a click by the user does, and only when the state really changes.
    bool Checked(TCheckBoxId box) const { return FChecked[Index(box)]; }
    void SetChecked(TCheckBoxId box, bool checked);
    // The user has toggled the box on screen; it already shows the new state.
    void CheckBoxClicked(TCheckBoxId box, bool checked) { SetChecked(box, checked); }

    // User commands from the toolbar and the popup menu.
    void pbClearClick();
    void pbOpenClick();
    void pbSaveClick();
    void pbMarkClick();
    void pbInfoClick();
    void cbFloatClick();
    void cbToolbarClick();
    void cbDebugOutputClick();
    void cbLogConnectClick();
    void mnuFloatClick();
    void mnuToolbarClick();
    void mnuDebugOutputClick();
    void mnuLogConnectClick();
    void mnuCaptureClick();
    void mnuNetworkClick() { FNetwork.ShowDialog(); }
    void mnuCutClick();
    void mnuCopyClick();
    void mnuPasteClick();
    void mnuSelectAllClick();
    // The History window on the history of the log file in use.
    void mnuHistoryClick();
    TPopupMenuState PopupMenu1Popup();

    bool StayOnTop() const { return Checked(TCheckBoxId::cbFloat); }
    void SetStayOnTop(bool on);
    bool ToolbarShown() const;
    void SetToolbarShown(bool shown);
    bool DebugOutput() const { return Checked(TCheckBoxId::cbDebugOutput); }
    void SetDebugOutput(bool on) { SetChecked(TCheckBoxId::cbDebugOutput, on); }
    bool LogConnect() const { return Checked(TCheckBoxId::cbLogConnect); }
    void SetLogConnect(bool on) { SetChecked(TCheckBoxId::cbLogConnect, on); }

    const std::string& LogFile() const { return FLogFile; }
    bool OtherInstanceFound() const { return FOtherInstanceFound; }

  private:
    void LoadLogFile();
    void SaveIntoLogFile();
    void SaveSettings();
    void ApplyPlacementSettings();
    void WriteLogConnect();
    void SaveWithWindowsOutputReleased();
    template <typename TOperation> void WithStayOnTopSuspended(TOperation&& operation);
    static int Index(TCheckBoxId box) { return static_cast<int>(box); }

    TfrmDebugServices FServices;
    TMessagePane FPane;
    TSettingsStore FSettings;
    TLineDistributor FLines;
    TPanePlace FPanePlace{FPane};
    TWindowsOutputCapture FCapture;
    TSyslogNetwork FNetwork{FServices.Network, FSettings, FLines, FServices.Clock};
    TRecoveryFile FRecovery;
    THistoryPart FHistory;

    bool FChecked[CheckBoxCount] = {true, true, true, true};
    // The menu's Debug Output check mark is a copy of the box, refreshed
    // whenever the menu opens; choosing the item inverts the copy.
    bool FMenuDebugOutputChecked = true;
    std::string FLastOpenName;
    std::string FLastSaveName;
    std::string FLogFile;
    // The log file, or its recovery copy, could not be read: neither may be
    // overwritten by the pane.
    bool FLogFileUnread = false;
    bool FOtherInstanceFound = false;
};
