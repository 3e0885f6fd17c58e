#include "shell/DebugForm.h"

#include "channel/MapList.h"
#include "pane/FileSystem.h"
#include "pane/MarkLine.h"
#include "pane/PaneControl.h"
#include "pane/PanePacing.h"
#include "shell/Clock.h"
#include "shell/IntegerText.h"
#include "shell/MainWindow.h"

const char* const ViewerTitle = "Korvane Dravik";
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

TfrmDebug::TfrmDebug(const TfrmDebugServices& services)
    : FServices(services), FPane(services.Pane, services.Files), FSettings(services.Registry),
      FRecovery(services.Files) {}

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
        if (other == 0)
            channelMade = FServices.Maps.CreateMap(CommandRegionKey, CommandRegionSize);
        window.SetTitle(ViewerTitle);
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

    FSettings.ReadRegString("LogFile", "", FLogFile);
    // A log that a viewer switched to and then died before writing it exists
    // only as its recovery copy.
    if (!FServices.Files.IsExistingFile(FLogFile) && !FRecovery.ExistsFor(FLogFile))
        FLogFile = FServices.Files.ExecutableDirectory() + DefaultLogFileName;

    // A log that cannot be read is reported, and start-up goes on: the saved
    // switches and placement must still be applied, or the next close would
    // store the initial ones over them.
    try {
        LoadLogFile();
    } catch (const std::exception& error) {
        ShowException(error);
    }

    // The boxes start checked, so setting them may run no click handler:
    // each switch is applied explicitly as well.
    SetStayOnTop(FSettings.ReadRegString("Floating", "") != "0");
    SetToolbarShown(FSettings.ReadRegString("Toolbar", "") != "0");
    SetLogConnect(FSettings.ReadRegString("LogConnect", "0") != "0");
    WriteLogConnect();

    ApplyPlacementSettings();
    const std::string state = FSettings.ReadRegString("WindowState", "");
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
    static const TPlacementValue values[] = {{"Top", &TPlacement::Top},
                                             {"Left", &TPlacement::Left},
                                             {"Width", &TPlacement::Width},
                                             {"Height", &TPlacement::Height}};
    for (const TPlacementValue& value : values) {
        const std::string text = FSettings.ReadRegString(value.Name, "");
        if (text.empty())
            continue;
        TPlacement placement = FServices.Placement.Placement();
        placement.*value.Field = StrToInt(text);
        FServices.Placement.SetPlacement(placement);
    }
}

bool TfrmDebug::FormCloseQuery() {
    SaveIntoLogFile();
    SaveSettings();
    FServices.Maps.CloseMap(CommandRegionKey);
    return true;
}

void TfrmDebug::tmrRecoveryTimer() {
    // A file that could not be read holds what the pane does not: the copy
    // must not take its place at the next start.
    if (FLogFileUnread)
        return;
    if (FRecovery.Update(FLogFile, FServices.Pane.Text()) == TRecoveryFile::TUpdate::Failed)
        ShowRecoveryFailure();
}

// Once per run: the user learns that a crash would lose the output, and the
// pane is not filled with the same line while the cause lasts.
void TfrmDebug::ShowRecoveryFailure() {
    if (FRecoveryFailureShown)
        return;
    FRecoveryFailureShown = true;
    DoPrint("***** Cannot write the recovery file " + TRecoveryFile::NameFor(FLogFile) +
            ": output would not survive a crash *****");
}

bool TfrmDebug::FormQueryEndSession() {
    SaveIntoLogFile();
    SaveSettings();
    return true;
}

void TfrmDebug::FormEndSession(bool ending) {
    if (ending)
        FServices.Maps.CloseMap(CommandRegionKey);
}

void TfrmDebug::SaveSettings() {
    FSettings.WriteRegString("Floating", Flag(FServices.Switches.IsTopmost()));
    FSettings.WriteRegString("Toolbar", Flag(FServices.Switches.IsToolbarVisible()));
    const TWindowState state = FServices.Placement.WindowState();
    if (state == TWindowState::Normal) {
        const TPlacement placement = FServices.Placement.Placement();
        FSettings.WriteRegString("Top", std::to_string(placement.Top));
        FSettings.WriteRegString("Left", std::to_string(placement.Left));
        FSettings.WriteRegString("Width", std::to_string(placement.Width));
        FSettings.WriteRegString("Height", std::to_string(placement.Height));
    }
    FSettings.WriteRegString("WindowState", std::to_string(static_cast<int>(state)));
    FSettings.WriteRegString("LogFile", FLogFile);
}

void TfrmDebug::ShowException(const std::exception& error) {
    ShowException(std::string(error.what()));
}

void TfrmDebug::ShowException(const std::string& message) {
    FServices.Boxes.ShowErrorBox(message + ".");
}

void TfrmDebug::HandleClientCommand(unsigned message) {
    DispatchClientCommand(message, DebugOutput(), FServices.Maps, *this);
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
        DoPrint("Error: Cannot set LogFile to \"" + UpperCaseAscii(fileName) + "\"");
        return;
    }
    SaveIntoLogFile();
    FLogFile = fileName;
    // A viewer that ends without closing must find this log's recovery copy
    // at its next start, not the copy of the log it left.
    FSettings.WriteRegString("LogFile", FLogFile);
    LoadLogFile();
}

void TfrmDebug::ReleaseSender() {
    FServices.Sender.ReleaseSender();
}

void TfrmDebug::DoMark() {
    DoPrint(MarkLine(FServices.Clock.Now(), FServices.Clock.TimeFormat()));
}

// A log file that exists but could not be read still holds the user's
// earlier output; it is kept from being overwritten by the pane. A recovery
// copy beside the log means that the last viewer on it ended without
// closing: the copy is newer than the log.
void TfrmDebug::LoadLogFile() {
    FLogFileUnread = false;
    const bool recovering = FRecovery.ExistsFor(FLogFile);
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
        DoPrint(RecoveredLine);
}

// The recovery copy is removed only once the log holds the pane: where the
// log is not written, the copy may be the only one of the pane's text.
void TfrmDebug::SaveIntoLogFile() {
    if (FLogFileUnread)
        return;
    DoSaveToFile(FLogFile);
    FRecovery.LogWritten(FLogFile, FServices.Pane.Text());
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
    FSettings.WriteRegString("LogConnect", Flag(LogConnect()));
}
