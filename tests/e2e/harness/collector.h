#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// rsyslogd, the Debian package's syslog collector, run on the Unix side by a test or the bench as an
// unprivileged process in the foreground, with a configuration of its own: it listens on 127.0.0.1 only,
// over TCP and UDP on one port, and writes every message it receives as one line
// "hostname|app-name|procid|msgid|msg" into a file in the folder. It is ended by its process id, and ends
// by itself after five minutes should nobody end it.
class SyslogCollector {
  public:
    // folder: a Windows folder ending in a backslash, for the configuration, the state and the file.
    SyslogCollector(const std::string& folder, unsigned short port);
    ~SyslogCollector() { Stop(); }
    SyslogCollector(const SyslogCollector&) = delete;
    SyslogCollector& operator=(const SyslogCollector&) = delete;

    // Starts it and waits at most timeoutMs until it takes connections.
    bool Start(DWORD timeoutMs = 15000);
    void Stop();

    // What it has written so far, line by line.
    std::vector<std::string> Lines() const;
    // Waits until a line holds part.
    bool WaitForLine(const std::string& part, DWORD timeoutMs) const;
    // Waits until it has written count lines, or nothing more came for quietMs.
    std::size_t WaitForCount(std::size_t count, DWORD timeoutMs, DWORD quietMs = 10000) const;

  private:
    std::string folder_;
    unsigned short port_;
    std::string received_;
    std::string pidFile_;
    std::string configuration_;
    bool started_ = false;
};

// Whether a TCP connection to the port of 127.0.0.1 is taken.
bool TcpPortTakesConnections(unsigned short port);

} // namespace e2e
