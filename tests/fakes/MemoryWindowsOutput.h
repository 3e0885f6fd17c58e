#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "channel/WindowsOutput.h"

// Windows' debug output channel in memory: the test sends messages as
// programs do, and decides whether another reader holds the channel.
class TMemoryWindowsOutput : public IWindowsOutput {
  public:
    TCaptureStart StartCapture() override {
        if (Refusal != TCaptureStart::Started)
            return Refusal;
        Capturing = true;
        return TCaptureStart::Started;
    }
    void StopCapture() override { Capturing = false; }
    std::size_t CollectMessages(std::vector<TCapturedMessage>& messages) override {
        messages.insert(messages.end(), Read.begin(), Read.end());
        Read.clear();
        return std::exchange(Dropped, 0);
    }

    // A program's OutputDebugString: read only while the channel is taken.
    void Send(std::uint32_t processId, const std::string& text, unsigned time) {
        if (Capturing)
            Read.push_back(TCapturedMessage{processId, text, time, TLineTime{2026, 12, 10, 9, 0, 0, 0, 0}});
    }

    // What StartCapture answers instead of taking the channel.
    TCaptureStart Refusal = TCaptureStart::Started;
    bool Capturing = false;
    std::vector<TCapturedMessage> Read;
    std::size_t Dropped = 0;
};
