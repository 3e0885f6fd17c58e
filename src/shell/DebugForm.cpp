#include "shell/DebugForm.h"

#include "channel/MapList.h"
#include "dravik/protocol.h"
#include "pane/FileSystem.h"
#include "pane/MarkLine.h"
#include "shell/Clock.h"
#include "shell/IntegerText.h"
#include "shell/MainWindow.h"

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
    explicit TInstanceCheckTurn(IMainWindow& window) : FWindow(window) { FWindow.BeginInstanceCheck(); }
    ~TInstanceCheckTurn() { FWindow.EndInstanceCheck(); }
    TInstanceCheckTurn(const TInstanceCheckTurn&) = delete;
    TInstanceCheckTurn& operator=(const TInstanceCheckTurn&) = delete;

  private:
    IMainWindow& FWindow;
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
    : FServices(services), FPane(services.Pane, services.Files), FSettings(services.Registry) {}

void TfrmDebug::FormCreate() {
    IMainWindow& window = FServices.Window;

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
        window.ShowInformationBox(ChannelFailureText);
        window.RequestTermination();
    }

    FSettings.ReadRegString(DRAVIK_VALUE_LOG_FILE, "", FLogFile);
    if (!FServices.Files.IsExistingFile(FLogFile))
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
    SetStayOnTop(FSettings.ReadRegString(DRAVIK_VALUE_FLOATING, "") != "0");
    SetToolbarShown(FSettings.ReadRegString(DRAVIK_VALUE_TOOLBAR, "") != "0");
    SetLogConnect(FSettings.ReadRegString(DRAVIK_VALUE_LOG_CONNECT, "0") != "0");
    WriteLogConnect();

    ApplyPlacementSettings();
    const std::string state = FSettings.ReadRegString(DRAVIK_VALUE_WINDOW_STATE, "");
    if (!state.empty())
        window.SetWindowState(WindowStateFromInteger(StrToInt(state)));
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
        TPlacement placement = FServices.Window.Placement();
        placement.*value.Field = StrToInt(text);
        FServices.Window.SetPlacement(placement);
    }
}

bool TfrmDebug::FormCloseQuery() {
    SaveIntoLogFile();
    SaveSettings();
    FServices.Maps.CloseMap(CommandRegionKey);
    return true;
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
    IMainWindow& window = FServices.Window;
    FSettings.WriteRegString(DRAVIK_VALUE_FLOATING, Flag(window.IsTopmost()));
    FSettings.WriteRegString(DRAVIK_VALUE_TOOLBAR, Flag(window.IsToolbarVisible()));
    const TWindowState state = window.WindowState();
    if (state == TWindowState::Normal) {
        const TPlacement placement = window.Placement();
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
    FServices.Window.ShowErrorBox(message + ".");
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
    LoadLogFile();
}

void TfrmDebug::ReleaseSender() {
    FServices.Window.ReleaseSender();
}

void TfrmDebug::DoMark() {
    DoPrint(MarkLine(FServices.Clock.Now(), FServices.Clock.TimeFormat()));
}

// A log file that exists but could not be read still holds the user's
// earlier output; it is kept from being overwritten by the pane.
void TfrmDebug::LoadLogFile() {
    FLogFileUnread = false;
    try {
        DoLoadFromFile(FLogFile);
    } catch (...) {
        FLogFileUnread = true;
        throw;
    }
}

void TfrmDebug::SaveIntoLogFile() {
    if (!FLogFileUnread)
        DoSaveToFile(FLogFile);
}

void TfrmDebug::SetStayOnTop(bool on) {
    SetChecked(TCheckBoxId::cbFloat, on);
    cbFloatClick();
}

bool TfrmDebug::ToolbarShown() const {
    return FServices.Window.IsToolbarVisible();
}

void TfrmDebug::SetToolbarShown(bool shown) {
    SetChecked(TCheckBoxId::cbToolbar, shown);
    cbToolbarClick();
}

void TfrmDebug::WriteLogConnect() {
    FSettings.WriteRegString(DRAVIK_VALUE_LOG_CONNECT, Flag(LogConnect()));
}
