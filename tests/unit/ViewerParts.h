#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "channel/ClientCommands.h"
#include "channel/MapList.h"
#include "common/ViewerError.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryHistory.h"
#include "fakes/MemoryHistoryViewer.h"
#include "fakes/MemoryPane.h"
#include "fakes/MemoryRecoveryWriter.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/MemorySharedMemory.h"
#include "fakes/MemorySyslog.h"
#include "fakes/MemoryWindow.h"
#include "pane/PaneBuffer.h"
#include "shell/DebugForm.h"
#include "shell/SettingsStore.h"

// The viewer's main window wired to in-memory stand-ins for everything it reaches. The file system and
// the registry are parameters so that a test can slip in ones that record more.
template <class TFiles, class TSettingsRegistry> struct TBasicViewer {
    TBasicViewer() {
        Control.OnChange = [this] { Pane.ControlChanged(); };
    }
    TBasicViewer(const TBasicViewer&) = delete;
    TBasicViewer& operator=(const TBasicViewer&) = delete;

    TMemoryWindow Window;
    // The screen's edit control, and the pane's text that it follows.
    TMemoryPane Control;
    TPaneBuffer Pane{Control};
    TFiles Files;
    TMemoryRecoveryWriter RecoveryWriter{Files};
    TSettingsRegistry Registry;
    TMemorySharedMemory Memory;
    TMapList Maps{Memory};
    TFixedClock Clock;
    TMemoryDialogs Dialogs;
    TMemoryHistoryViewer HistoryViewer;
    TMemoryProcessNames ProcessNames;
    TMemoryHistoryStore History;
    TLatin1FromUtf8 FromUtf8;
    TMemorySyslogReceiver SyslogReceiver;
    TMemorySyslogForwarder SyslogForwarder;
    TMemoryNetworkDialog NetworkDialog;
    TfrmDebug Form{TfrmDebugServices{Window, Window, Window, Window, Pane, Files, Registry, Maps, Clock,
                                     Dialogs, Window, RecoveryWriter, HistoryViewer, ProcessNames, History,
                                     FromUtf8,
                                     TNetworkServices{SyslogReceiver, SyslogForwarder, NetworkDialog}}};

    // A client's command message, read and carried out as the window does.
    void Command(unsigned message) { Form.HandleClientCommand(Form.ReadClientCommand(message)); }
    // The user edits the control, which the pane then takes its text from.
    void Type(const std::string& text) {
        Pane.Sync();
        Control.SetText(text);
        Pane.ControlChanged();
    }

    void SetSetting(const std::string& name, const std::string& value) {
        Registry.SetString(SettingsKey, name, value);
    }
    std::string Setting(const std::string& name) const { return Registry.StringValue(SettingsKey, name); }
};

using TViewer = TBasicViewer<TMemoryFileSystem, TMemoryRegistry>;

// Where the viewer keeps its log when no other is set: the stand-in executable lives in C:\Dravik\.
inline const std::string DefaultLogFile = "C:\\Dravik\\DebugLog.txt";

// The message of the viewer error that action raises, so that tests can compare the exact text the user
// is shown.
template <class TAction> std::string RaisedMessage(TAction action) {
    try {
        action();
    } catch (const TViewerError& error) {
        return error.what();
    }
    return "(nothing raised)";
}

// Fills a region the way a client does: a byte the viewer ignores, the text from offset 1, a zero byte.
inline void WriteClientText(std::vector<unsigned char>& region, const std::string& text) {
    region.at(0) = static_cast<unsigned char>(text.size() & 0xFF);
    std::copy(text.begin(), text.end(), region.begin() + 1);
    region.at(text.size() + 1) = 0;
}

inline std::vector<std::string> CallsStartingWith(const TMemoryWindow& window, const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& call : window.Calls)
        if (call.compare(0, start.size(), start) == 0)
            found.push_back(call);
    return found;
}
