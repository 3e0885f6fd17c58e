#include "shell/DebugForm.h"

#include "channel/MapList.h"
#include "common/TextCodes.h"
#include "common/Utf8.h"
#include "dravik/protocol.h"
#include "pane/FileSystem.h"
#include "pane/MarkLine.h"
#include "pane/PaneBuffer.h"
#include "pane/PanePacing.h"
#include "shell/Clock.h"
#include "shell/IntegerText.h"
#include "shell/MainWindow.h"
#include "shell/history/HistoryNames.h"
#include "shell/historyview/HistoryViewer.h"

const char* const ViewerTitle = DRAVIK_WINDOW_TITLE;
const char* const InstanceCheckTitle = "must not find current window";

namespace {
const char* const DefaultLogFileName = "DebugLog.txt";
const char* const ChannelFailureText =
    "Error creating map file.\n\r\n\rThe map file for sharing memory could not be created.";

const char* Flag(bool on) {
    return on ? "1" : "0";
}

std::string UpperCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

class TInstanceCheckTurn {
  public:
    explicit TInstanceCheckTurn(IInstanceCheck& window) : FWindow(window) { FWindow.BeginInstanceCheck(); }
    ~TInstanceCheckTurn() { FWindow.EndInstanceCheck(); }
    TInstanceCheckTurn(const TInstanceCheckTurn&) = delete;
    TInstanceCheckTurn& operator=(const TInstanceCheckTurn&) = delete;

  private:
    IInstanceCheck& FWindow;
};

TWindowState WindowStateFromInteger(std::int32_t value) {
    switch (value) {
    case 1:
        return TWindowState::Minimised;
    case 2:
        return TWindowState::Maximised;
    default: // only 0, 1 and 2 mean anything; the rest opens a normal window
        return TWindowState::Normal;
    }
}
} // namespace

// Every line reaches the pane first: the places after it see the line only
// once the user can.
TfrmDebug::TfrmDebug(const TfrmDebugServices& services)
    : FServices(services), FPane(services.Pane, services.Files), FSettings(services.Registry),
      FCapture(services.WindowsOutput, services.ProcessNames, FSettings, FLines, services.Clock),
      FRecovery(services.Files, services.RecoveryWriter, FLines, services.Clock),
      FHistory(services.History, FSettings) {
    FLines.AddPlace(FPanePlace);
    FLines.AddPlace(FHistory);
    FLines.AddPlace(FNetwork);
}

void TfrmDebug::FormCreate() {
    IInstanceCheck& window = FServices.Instance;

    // Only one viewer per desktop. The title is changed while searching so
    // that the search cannot find this very window. Viewers starting at the
    // same moment take turns here, so that the second always finds the first
    // instead of both running on one log file, or both ending.
    TWindowId other = 0;
    bool channelMade = false;
    {
        const TInstanceCheckTurn turn(window);
        const std::string className = window.ClassName();
        window.SetTitle(InstanceCheckTitle);
        other = window.FindTopLevelWindow(className, ViewerTitle);
        // Clients find the window by its title and then open the region:
        // the region is there before the title is.
        // A viewer that found another one keeps the hidden title to its end:
        // with the clients' title it would take their prints, which it has
        // no region to read, while it waits to bring the other to the top.
        if (other == 0) {
            channelMade = FServices.Maps.CreateMap(CommandRegionKey, CommandRegionSize);
            window.SetTitle(ViewerTitle);
        }
    }
    if (other != 0) {
        FOtherInstanceFound = true;
        window.BringToTop(other);
        window.RequestTermination();
        return;
    }

    if (!channelMade) {
        FServices.Boxes.ShowInformationBox(ChannelFailureText);
        window.RequestTermination();
    }

    FSettings.ReadRegString(DRAVIK_VALUE_LOG_FILE, "", FLogFile);
    // A log that a viewer switched to and then died before writing it exists
    // only as its recovery copy.
    if (!FServices.Files.IsExistingFile(FLogFile) && !FRecovery.ExistsFor(FLogFile))
        FLogFile = FServices.Files.ExecutableDirectory() + DefaultLogFileName;
    // Before the log is loaded, so that the line that says it was recovered
    // is kept too; a failure is said once the pane holds the log.
    const std::string historyFailure = FHistory.Start(FLogFile);

    // A log that cannot be read is reported, and start-up goes on: the saved
    // switches and placement must still be applied, or the next close would
    // store the initial ones over them.
    try {
        LoadLogFile();
    } catch (const std::exception& error) {
        ShowException(error);
    }
    if (!historyFailure.empty())
        PrintOwnLine(historyFailure);

    // The boxes start checked, so setting them may run no click handler:
    // each switch is applied explicitly as well.
    SetStayOnTop(FSettings.ReadRegString(DRAVIK_VALUE_FLOATING, "") != "0");
    SetToolbarShown(FSettings.ReadRegString(DRAVIK_VALUE_TOOLBAR, "") != "0");
    SetLogConnect(FSettings.ReadRegString(DRAVIK_VALUE_LOG_CONNECT, "0") != "0");
    WriteLogConnect();
    FCapture.ReadSetting();
    FCapture.Resume();
    FNetwork.ReadSettings();

    ApplyPlacementSettings();
    const std::string state = FSettings.ReadRegString(DRAVIK_VALUE_WINDOW_STATE, "");
    if (!state.empty())
        FServices.Placement.SetWindowState(WindowStateFromInteger(StrToInt(state)));
}

// A log the control refuses never reaches the pane, which then holds the
// control's text instead: like a log that could not be read, it must not be
// overwritten at close.
void TfrmDebug::FormShow(TPanePacing& pacing) {
    try {
        pacing.FillControl();
    } catch (...) {
        FLogFileUnread = true;
        throw;
    }
}

void TfrmDebug::ApplyPlacementSettings() {
    struct TPlacementValue {
        const char* Name;
        int TPlacement::*Field;
    };
    static const TPlacementValue values[] = {{DRAVIK_VALUE_TOP, &TPlacement::Top},
                                             {DRAVIK_VALUE_LEFT, &TPlacement::Left},
                                             {DRAVIK_VALUE_WIDTH, &TPlacement::Width},
                                             {DRAVIK_VALUE_HEIGHT, &TPlacement::Height}};
    for (const TPlacementValue& value : values) {
        const std::string text = FSettings.ReadRegString(value.Name, "");
        if (text.empty())
            continue;
        TPlacement placement = FServices.Placement.Placement();
        placement.*value.Field = StrToInt(text);
        FServices.Placement.SetPlacement(placement);
    }
}

// What came from the network until the close is in the log; the history is
// written to its end once the capture has handed on its last lines, and the
// forwarder gets its last moment after that, only when the close goes on.
bool TfrmDebug::FormCloseQuery() {
    FNetwork.StopReceiving(DebugOutput());
    try {
        SaveWithWindowsOutputReleased();
    } catch (...) {
        FNetwork.ResumeReceiving();
        throw;
    }
    FServices.Maps.CloseMap(CommandRegionKey);
    FHistory.Stop();
    FNetwork.Close();
    return true;
}

void TfrmDebug::tmrRecoveryTimer() {
    // A file that could not be read holds what the pane does not: the copy
    // must not take its place at the next start.
    if (!FLogFileUnread)
        FRecovery.Look(FLogFile, FServices.Pane.Text());
}

bool TfrmDebug::FormQueryEndSession() {
    SaveWithWindowsOutputReleased();
    return true;
}

// A session that ends ends the viewer without its close: the history is
// written to its end now.
void TfrmDebug::FormEndSession(bool ending) {
    if (ending) {
        FServices.Maps.CloseMap(CommandRegionKey);
        FHistory.Stop();
        FNetwork.Close();
    } else {
        FCapture.Resume();
    }
}

// Windows' debug output channel is released first, so that the log holds
// everything captured until then. When the log cannot be written the window
// stays open, and the capture goes on.
void TfrmDebug::SaveWithWindowsOutputReleased() {
    FCapture.Release(DebugOutput());
    try {
        SaveIntoLogFile();
    } catch (...) {
        FCapture.Resume();
        throw;
    }
    SaveSettings();
}

void TfrmDebug::SaveSettings() {
    FSettings.WriteRegString(DRAVIK_VALUE_FLOATING, Flag(FServices.Switches.IsTopmost()));
    FSettings.WriteRegString(DRAVIK_VALUE_TOOLBAR, Flag(FServices.Switches.IsToolbarVisible()));
    const TWindowState state = FServices.Placement.WindowState();
    if (state == TWindowState::Normal) {
        const TPlacement placement = FServices.Placement.Placement();
        FSettings.WriteRegString(DRAVIK_VALUE_TOP, std::to_string(placement.Top));
        FSettings.WriteRegString(DRAVIK_VALUE_LEFT, std::to_string(placement.Left));
        FSettings.WriteRegString(DRAVIK_VALUE_WIDTH, std::to_string(placement.Width));
        FSettings.WriteRegString(DRAVIK_VALUE_HEIGHT, std::to_string(placement.Height));
    }
    FSettings.WriteRegString(DRAVIK_VALUE_WINDOW_STATE, std::to_string(static_cast<int>(state)));
    FSettings.WriteRegString(DRAVIK_VALUE_LOG_FILE, FLogFile);
}

void TfrmDebug::ShowException(const std::exception& error) {
    ShowException(std::string(error.what()));
}

void TfrmDebug::ShowException(const std::string& message) {
    FServices.Boxes.ShowErrorBox(message + ".");
}

TClientCommand TfrmDebug::ReadClientCommand(unsigned message) const {
    return ::ReadClientCommand(message, DebugOutput(), FServices.Maps);
}

void TfrmDebug::HandleClientCommand(TClientCommand command) {
    switch (command.Kind) {
    case TClientCommandKind::None:
        return;
    case TClientCommandKind::Print: {
        TReceivedLine line;
        line.Text = std::move(command.Text);
        line.Received = FServices.Clock.LineTime();
        line.Origin.Source = TLineSource::Client;
        FLines.Hand(line);
        return;
    }
    // The history keeps the client's text, where it is UTF-8 at all; the
    // pane shows it in the code page.
    case TClientCommandKind::PrintUtf8: {
        TReceivedLine line;
        line.Received = FServices.Clock.LineTime();
        line.Origin.Source = TLineSource::Client;
        AppendValidUtf8(command.Text, line.Utf8);
        line.HasUtf8 = true;
        FServices.FromUtf8.Convert(line.Utf8, line.Text);
        FLines.Hand(line);
        return;
    }
    case TClientCommandKind::LoadFromFile:
        DoLoadFromFile(command.Text);
        return;
    case TClientCommandKind::SaveToFile:
        DoSaveToFile(command.Text);
        return;
    case TClientCommandKind::SetLogFile:
        DoSetLogFile(command.Text);
        return;
    case TClientCommandKind::Clear:
        DoClear();
        return;
    }
}

void TfrmDebug::PrintOwnLine(std::string text) {
    FLines.Hand(OwnLine(std::move(text), FServices.Clock));
}

void TfrmDebug::HistoryNotices() {
    for (std::string& notice : FHistory.TakeNotices())
        PrintOwnLine(std::move(notice));
}

void TfrmDebug::DoPrint(const std::string& text) {
    FPane.DoPrint(text);
}

void TfrmDebug::DoClear() {
    FPane.DoClear();
}

void TfrmDebug::DoLoadFromFile(const std::string& fileName) {
    FPane.DoLoadFromFile(fileName);
}

void TfrmDebug::DoSaveToFile(const std::string& fileName) {
    FPane.DoSaveToFile(fileName);
}

void TfrmDebug::DoSetLogFile(const std::string& fileName) {
    if (!CanWriteFile(FServices.Files, fileName)) {
        PrintOwnLine("Error: Cannot set LogFile to \"" + UpperCaseAscii(fileName) + "\"");
        return;
    }
    SaveIntoLogFile();
    FLogFile = fileName;
    FServices.HistoryViewer.HistoryFolderChanged(HistoryFolderFor(FLogFile));
    FHistory.UseLogFile(FLogFile);
    // A viewer that ends without closing must find this log's recovery copy
    // at its next start, not the copy of the log it left.
    FSettings.WriteRegString(DRAVIK_VALUE_LOG_FILE, FLogFile);
    LoadLogFile();
}

void TfrmDebug::DoMark() {
    PrintOwnLine(MarkLine(FServices.Clock.Now(), FServices.Clock.TimeFormat()));
}

// A log file that exists but could not be read still holds the user's
// earlier output; it is kept from being overwritten by the pane. A recovery
// copy newer than the log means that the last viewer on it ended without
// closing: the copy holds the last text.
void TfrmDebug::LoadLogFile() {
    FLogFileUnread = false;
    const bool recovering = FRecovery.OutranksLog(FLogFile);
    const std::string source = recovering ? TRecoveryFile::NameFor(FLogFile) : FLogFile;
    try {
        DoLoadFromFile(source);
    } catch (...) {
        FLogFileUnread = true;
        throw;
    }
    // A log that does not exist gives an empty pane at the next start.
    FRecovery.Kept(FServices.Files.IsExistingFile(source) ? FServices.Pane.Text() : std::string());
    if (recovering)
        PrintOwnLine(RecoveredLine);
    else
        FRecovery.RemoveOutranked(FLogFile);
}

// The copy is brought up to date first, so that whatever survives a viewer
// ended meanwhile holds the last text; the copy is removed only once the
// log holds the pane: where the log is not written, the copy may be the only
// one of the pane's text. A copy that cannot be written now is not said in
// the pane: the line would miss the log that is being written.
void TfrmDebug::SaveIntoLogFile() {
    if (FLogFileUnread)
        return;
    const std::string pane = FServices.Pane.Text();
    FRecovery.Update(FLogFile, pane);
    DoSaveToFile(FLogFile);
    FRecovery.LogWritten(FLogFile, pane);
}

void TfrmDebug::SetStayOnTop(bool on) {
    SetChecked(TCheckBoxId::cbFloat, on);
    cbFloatClick();
}

bool TfrmDebug::ToolbarShown() const {
    return FServices.Switches.IsToolbarVisible();
}

void TfrmDebug::SetToolbarShown(bool shown) {
    SetChecked(TCheckBoxId::cbToolbar, shown);
    cbToolbarClick();
}

void TfrmDebug::WriteLogConnect() {
    FSettings.WriteRegString(DRAVIK_VALUE_LOG_CONNECT, Flag(LogConnect()));
}
