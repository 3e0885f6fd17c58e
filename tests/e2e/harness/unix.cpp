#include "unix.h"

#include "files.h"
#include "wait.h"

#include <winsock2.h>

#include <vector>

namespace e2e {

namespace {

using TUnixFileName = char*(CDECL*)(LPCWSTR);

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    return wide;
}

// Each command gets a script of its own, numbered within the test.
int NextScript() {
    static int count = 0;
    return ++count;
}

bool Launch(const std::string& scriptPath) {
    std::string commandLine = "/bin/sh " + UnixPath(scriptPath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // Wine gives no handle of a Unix process worth waiting for.
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    return true;
}

// Writes the script: the command, then its status into `status` once it has ended.
bool PrepareScript(const std::string& folder, const std::string& command, std::string& statusPath,
                   std::string& outputPath, std::string& scriptPath) {
    const std::string name = "unix" + std::to_string(NextScript());
    scriptPath = folder + name + ".sh";
    statusPath = folder + name + ".status";
    outputPath = folder + name + ".out";
    const std::string unixStatus = UnixPath(statusPath);
    const std::string script = "(\n" + command + "\n) >'" + UnixPath(outputPath) +
                               "' 2>&1 </dev/null\necho $? >'" + unixStatus + ".tmp' && mv '" + unixStatus +
                               ".tmp' '" + unixStatus + "'\n";
    return !UnixPath(folder).empty() && WriteFileBytes(scriptPath, script);
}

} // namespace

std::string UnixPath(const std::string& windowsPath) {
    static const TUnixFileName convert = reinterpret_cast<TUnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    char* unixName = convert(Wide(windowsPath).c_str());
    if (!unixName)
        return std::string();
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

int RunUnix(const std::string& folder, const std::string& command, DWORD timeoutMs, std::string* output) {
    std::string statusPath, outputPath, scriptPath;
    if (!PrepareScript(folder, command, statusPath, outputPath, scriptPath) || !Launch(scriptPath))
        return -1;
    std::string status;
    const bool ended = WaitFor([&] { return ReadFileBytes(statusPath, status); }, timeoutMs);
    if (output && !ReadFileBytes(outputPath, *output))
        output->clear();
    return ended ? std::atoi(status.c_str()) : -1;
}

bool StartUnix(const std::string& folder, const std::string& command) {
    std::string statusPath, outputPath, scriptPath;
    return PrepareScript(folder, command, statusPath, outputPath, scriptPath) && Launch(scriptPath);
}

// Bound to port 0 the system hands out a port nobody holds; the same number must be free for UDP too.
unsigned short FreePort() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    unsigned short found = 0;
    for (int attempt = 0; attempt < 20 && found == 0; ++attempt) {
        SOCKET tcp = socket(AF_INET, SOCK_STREAM, 0);
        SOCKET udp = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (tcp != INVALID_SOCKET && udp != INVALID_SOCKET &&
            bind(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(tcp, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            found = ntohs(address.sin_port);
        if (tcp != INVALID_SOCKET)
            closesocket(tcp);
        if (udp != INVALID_SOCKET)
            closesocket(udp);
    }
    WSACleanup();
    return found;
}

std::string SyslogHostName() {
    char name[256] = {};
    DWORD length = sizeof name;
    if (!GetComputerNameExA(ComputerNameDnsHostname, name, &length))
        return std::string();
    return std::string(name, length);
}

} // namespace e2e
