#pragma once

#include <string>
#include <vector>

#include "channel/WindowsOutput.h"
#include "channel/WindowsOutputLines.h"

class IClock;
class IProcessNames;
class TLineDistributor;
class TSettingsStore;

// Said when Windows' debug output channel has a reader already.
extern const char* const OtherReaderText;
// Why the channel could not be taken.
std::string CaptureRefusalText(TCaptureStart started);

// The Capture Windows Output switch and what it brings: the channel's
// reader, the lines made of its messages with their processes' names,
// handed on as every line is, and the saved setting.
class TWindowsOutputCapture {
  public:
    TWindowsOutputCapture(IWindowsOutput& reader, IProcessNames& names, TSettingsStore& settings,
                          TLineDistributor& lines, const IClock& clock)
        : FReader(reader), FNames(names), FSettings(settings), FLines(lines), FClock(clock) {}

    bool On() const { return FOn; }
    // Start-up: the saved switch. Only "1" takes the channel: the key of every
    // viewer that ran before this switch existed lacks the value.
    void ReadSetting();
    // Takes the channel for a switch that is on. Where that fails, the switch
    // goes off and the pane says why: the user asked for no dialog here.
    void Resume();
    // The user chose the menu item. The setting is written only when the
    // choice takes effect; otherwise the refusal is returned, for the
    // general error display, and the switch stays as it was.
    std::string Toggle(bool debugOutput);
    // Stops reading the channel and hands on everything read until then, the
    // text waiting for the rest of its line too: no rest can come any more.
    void Release(bool debugOutput);
    // Messages have arrived, or the reader's tick came: hands on the lines
    // they complete and those that waited too long. now is the reader's
    // clock. True when any line was handed on.
    bool Collect(unsigned now, bool debugOutput);

  private:
    bool Take(unsigned now, bool released, bool debugOutput);

    IWindowsOutput& FReader;
    IProcessNames& FNames;
    TSettingsStore& FSettings;
    TLineDistributor& FLines;
    const IClock& FClock;
    bool FOn = false;
    TWindowsOutputLines FMaker;
};
