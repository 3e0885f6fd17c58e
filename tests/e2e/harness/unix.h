#pragma once

#include <windows.h>

#include <string>

// The Linux side of a test under Wine: real syslog peers (util-linux logger, rsyslogd) are Unix programs,
// which Wine starts from CreateProcess but cannot wait for. A command runs from a script in the test's
// folder, which writes its exit status into a file when it ends; the test waits for that file.
namespace e2e {

// The Unix path of a Windows path, through Wine's own conversion; empty when not under Wine.
std::string UnixPath(const std::string& windowsPath);

// Runs a shell command on the Unix side, from a script in folder (a Windows folder ending in a backslash),
// and waits at most timeoutMs for it; its exit status, or -1 when it did not start or end in time. Its
// output and errors are in output when given.
int RunUnix(const std::string& folder, const std::string& command, DWORD timeoutMs,
            std::string* output = nullptr);
// Starts it without waiting; false when it could not start.
bool StartUnix(const std::string& folder, const std::string& command);

// A port that no program listens on, over TCP or UDP, on this machine: the system picks it.
unsigned short FreePort();

// This machine's name as syslog senders here put it into their messages.
std::string SyslogHostName();

} // namespace e2e
