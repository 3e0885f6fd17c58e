#include "collector.h"

#include "files.h"
#include "unix.h"
#include "wait.h"

#include <winsock2.h>

namespace e2e {

SyslogCollector::SyslogCollector(const std::string& folder, unsigned short port)
    : folder_(folder), port_(port), received_(folder + "received.txt"),
      pidFile_(UnixPath(folder) + "rsyslogd.pid"), configuration_(folder + "rsyslog.conf") {}

bool SyslogCollector::Start(DWORD timeoutMs) {
    const std::string p = std::to_string(port_);
    const std::string configuration = "global(workDirectory=\"" + UnixPath(folder_) +
                                      "\")\n"
                                      "module(load=\"imtcp\")\nmodule(load=\"imudp\")\n"
                                      "input(type=\"imtcp\" port=\"" +
                                      p +
                                      "\" address=\"127.0.0.1\")\n"
                                      "input(type=\"imudp\" port=\"" +
                                      p +
                                      "\" address=\"127.0.0.1\")\n"
                                      "template(name=\"fields\" type=\"string\" "
                                      "string=\"%hostname%|%app-name%|%procid%|%msgid%|%msg%\\n\")\n"
                                      "*.* action(type=\"omfile\" file=\"" +
                                      UnixPath(received_) + "\" template=\"fields\")\n";
    if (UnixPath(folder_).empty() || !WriteFileBytes(configuration_, configuration))
        return false;
    started_ = StartUnix(folder_, "exec timeout 300 rsyslogd -n -f '" + UnixPath(configuration_) + "' -i '" +
                                      pidFile_ + "'");
    return started_ && WaitFor([&] { return TcpPortTakesConnections(port_); }, timeoutMs);
}

void SyslogCollector::Stop() {
    if (started_)
        RunUnix(folder_, "kill $(cat '" + pidFile_ + "')", 10000);
    started_ = false;
}

std::vector<std::string> SyslogCollector::Lines() const {
    std::string text;
    ReadFileBytes(received_, text);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool SyslogCollector::WaitForLine(const std::string& part, DWORD timeoutMs) const {
    return WaitFor(
        [&] {
            for (const std::string& line : Lines())
                if (line.find(part) != std::string::npos)
                    return true;
            return false;
        },
        timeoutMs);
}

std::size_t SyslogCollector::WaitForCount(std::size_t count, DWORD timeoutMs, DWORD quietMs) const {
    std::size_t seen = 0;
    DWORD lastGrowth = GetTickCount();
    WaitFor(
        [&] {
            const std::size_t now = Lines().size();
            if (now != seen)
                lastGrowth = GetTickCount();
            seen = now;
            return seen >= count || GetTickCount() - lastGrowth > quietMs;
        },
        timeoutMs);
    return seen;
}

bool TcpPortTakesConnections(unsigned short port) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool taken =
        probe != INVALID_SOCKET && connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (probe != INVALID_SOCKET)
        closesocket(probe);
    WSACleanup();
    return taken;
}

} // namespace e2e
