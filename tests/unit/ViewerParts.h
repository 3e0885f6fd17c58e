#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "channel/ClientCommands.h"
#include "channel/MapList.h"
#include "common/ViewerError.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryPane.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/MemorySharedMemory.h"
#include "fakes/MemoryWindow.h"
#include "shell/DebugForm.h"
#include "shell/SettingsStore.h"

// The viewer's main window wired to in-memory stand-ins for everything it reaches. The file system and
// the registry are parameters so that a test can slip in ones that record more.
template <class TFiles, class TSettingsRegistry> struct TBasicViewer {
    TMemoryWindow Window;
    TMemoryPane Pane;
    TFiles Files;
    TSettingsRegistry Registry;
    TMemorySharedMemory Memory;
    TMapList Maps{Memory};
    TFixedClock Clock;
    TMemoryDialogs Dialogs;
    TfrmDebug Form{TfrmDebugServices{Window, Window, Window, Window, Window, Pane, Files, Registry, Maps,
                                     Clock, Dialogs, Window}};

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
