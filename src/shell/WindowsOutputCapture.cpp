#include "shell/WindowsOutputCapture.h"

#include "channel/ProcessNames.h"
#include "dravik/protocol.h"
#include "shell/LinePath.h"
#include "shell/SettingsStore.h"

const char* const OtherReaderText = "Windows debug output is already captured by another program";

namespace {
std::string DroppedText(std::size_t dropped) {
    return std::to_string(dropped) +
           (dropped == 1 ? " message of Windows debug output was"
                         : " messages of Windows debug output were") +
           " dropped: the viewer fell behind";
}
} // namespace

std::string CaptureRefusalText(TCaptureStart started) {
    return started == TCaptureStart::OtherReader ? OtherReaderText
                                                 : "Windows debug output cannot be captured";
}

void TWindowsOutputCapture::ReadSetting() {
    FOn = FSettings.ReadRegString(DRAVIK_VALUE_CAPTURE_WINDOWS_OUTPUT, "0") == "1";
}

void TWindowsOutputCapture::Resume() {
    if (!FOn)
        return;
    const TCaptureStart started = FReader.StartCapture();
    if (started == TCaptureStart::Started)
        return;
    FOn = false;
    FLines.Hand(OwnLine(CaptureRefusalText(started), FClock));
}

std::string TWindowsOutputCapture::Toggle(bool debugOutput) {
    if (FOn) {
        FOn = false;
        Release(debugOutput);
        FSettings.WriteRegString(DRAVIK_VALUE_CAPTURE_WINDOWS_OUTPUT, "0");
        return std::string();
    }
    const TCaptureStart started = FReader.StartCapture();
    if (started != TCaptureStart::Started)
        return CaptureRefusalText(started);
    FOn = true;
    FSettings.WriteRegString(DRAVIK_VALUE_CAPTURE_WINDOWS_OUTPUT, "1");
    return std::string();
}

void TWindowsOutputCapture::Release(bool debugOutput) {
    FReader.StopCapture();
    Take(0, true, debugOutput);
}

bool TWindowsOutputCapture::Collect(unsigned now, bool debugOutput) {
    return Take(now, false, debugOutput);
}

// With Debug Output off a message is taken, so that its sender goes on, and
// dropped; what its process sent before cannot be joined across it.
bool TWindowsOutputCapture::Take(unsigned now, bool released, bool debugOutput) {
    std::vector<TCapturedMessage> messages;
    const std::size_t dropped = FReader.CollectMessages(messages);
    std::vector<TReceivedLine> lines;
    for (const TCapturedMessage& message : messages) {
        if (debugOutput)
            FMaker.Add(message, lines);
        else
            FMaker.Forget(message.ProcessId);
    }
    // The dropped messages may have held the rest of a waiting line.
    if (dropped > 0 || released)
        FMaker.TakeAll(lines);
    else
        FMaker.TakeOverdue(now, lines);
    if (!debugOutput)
        return false;
    if (dropped > 0)
        lines.push_back(OwnLine(DroppedText(dropped), FClock));
    // Looked up here, on the window's thread, and not by the channel's reader, which must let its
    // senders go at once.
    for (TReceivedLine& line : lines) {
        if (line.Origin.Source == TLineSource::WindowsOutput)
            line.Origin.ProcessName = FNames.NameOf(line.Origin.ProcessId, line.Received);
        FLines.Hand(line);
    }
    return !lines.empty();
}
