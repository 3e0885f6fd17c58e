#pragma once

#include <string>
#include <vector>

#include "shell/LinePath.h"
#include "shell/history/HistoryStore.h"

class TSettingsStore;

// The history as the viewer wires it: a place of the line path, started with the other settings once the
// log file is known, and moved to the history of each log the viewer switches to.
class THistoryPart : public ILinePlace {
  public:
    THistoryPart(IHistoryStore& store, TSettingsStore& settings) : FStore(store), FSettings(settings) {}

    // Start-up: reads "HistoryLimitMB" and starts the history of the log file. Returns the line the viewer
    // prints where the writing cannot run, or nothing.
    std::string Start(const std::string& logFile);
    void UseLogFile(const std::string& logFile) { FStore.UseLogFile(logFile); }
    void Take(const TReceivedLine& line) override { FStore.Add(line); }
    // What the writer has had to say since the last call: lines for the viewer to print as its own.
    std::vector<std::string> TakeNotices();
    // The close: what was handed over is written, within a bounded wait.
    void Stop() { FStore.Stop(); }

  private:
    IHistoryStore& FStore;
    TSettingsStore& FSettings;
};
