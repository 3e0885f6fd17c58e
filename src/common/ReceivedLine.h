#pragma once

#include <cstdint>
#include <string>

// The local time at which the viewer received a line, to the millisecond,
// and how far that local time was from UTC then.
struct TLineTime {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
    int UtcOffsetMinutes = 0;
};

enum class TLineSource {
    // A client of the window's command channel.
    Client,
    // A process that wrote Windows' own debug output.
    WindowsOutput,
    // A syslog sender on the network.
    Network,
    // The viewer itself: marker lines, the recovered line, its own error lines.
    Viewer
};

// Where a line came from. Only the fields of its source mean anything.
struct TLineOrigin {
    TLineSource Source = TLineSource::Viewer;
    // WindowsOutput: the sending process, and its executable's name
    // ("app.exe", in UTF-8), empty where it could not be had.
    std::uint32_t ProcessId = 0;
    std::string ProcessName;
    // Network: the sender's host, application and process as its message
    // named them (empty where it did not), and the address it came from.
    std::string Host;
    std::string App;
    std::string ProcId;
    std::string Address;
};

// One received line on its way to every place that takes lines.
struct TReceivedLine {
    // As the pane gets it: text in the system's code page.
    std::string Text;
    // The text as its sender wrote it in UTF-8, where the source had it so
    // (a client's UTF-8 print, the network); otherwise Text is converted.
    std::string Utf8;
    bool HasUtf8 = false;
    TLineTime Received;
    TLineOrigin Origin;
};
