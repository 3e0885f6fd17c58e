#include "clients.h"

#include "channel_client.h"
#include "clock.h"
#include "platform/Win32Handles.h"
#include "workspace.h"

#include <windows.h>

#include <vector>

namespace bench {

namespace {

const DWORD kGateTimeoutMs = 30000;
const DWORD kRunTimeoutMs = 300000;

// Client processes take a moment to start under Wine, so they first report ready and all begin together
// when the gate opens; the time counted is that of printing only.
struct Gate {
    explicit Gate(const std::string& tag, bool create) {
        const std::string ready = "DravikBenchReady" + tag;
        const std::string go = "DravikBenchGo" + tag;
        const std::string done = "DravikBenchDone" + tag;
        if (create) {
            readyCount = TKernelHandle(CreateSemaphoreA(nullptr, 0, 64, ready.c_str()));
            start = TKernelHandle(CreateEventA(nullptr, TRUE, FALSE, go.c_str()));
            doneCount = TKernelHandle(CreateSemaphoreA(nullptr, 0, 64, done.c_str()));
        } else {
            readyCount = TKernelHandle(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ready.c_str()));
            start = TKernelHandle(OpenEventA(SYNCHRONIZE, FALSE, go.c_str()));
            doneCount = TKernelHandle(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, done.c_str()));
        }
    }
    bool Valid() const { return readyCount.Valid() && start.Valid() && doneCount.Valid(); }

    TKernelHandle readyCount;
    TKernelHandle start;
    TKernelHandle doneCount;
};

bool WaitCount(HANDLE semaphore, int count, DWORD timeoutMs) {
    for (int i = 0; i < count; ++i) {
        if (WaitForSingleObject(semaphore, timeoutMs) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

TKernelHandle StartClient(const std::string& tag, int index, long lines) {
    const std::string exe = OwnPath();
    std::string line =
        "\"" + exe + "\" --client " + tag + " " + std::to_string(index) + " " + std::to_string(lines);
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return TKernelHandle();
    }
    CloseHandle(info.hThread);
    return TKernelHandle(info.hProcess);
}

} // namespace

double RunClients(int count, long linesEach, std::string& problem) {
    const std::string tag = std::to_string(GetCurrentProcessId());
    Gate gate(tag, true);
    if (!gate.Valid()) {
        problem = "could not create the clients' start gate";
        return -1;
    }
    std::vector<TKernelHandle> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(StartClient(tag, i + 1, linesEach));
        if (!clients.back().Valid()) {
            problem = "could not start client process " + std::to_string(i + 1);
            return -1;
        }
    }
    double seconds = -1;
    if (WaitCount(gate.readyCount.Get(), count, kGateTimeoutMs)) {
        const double start = Seconds();
        SetEvent(gate.start.Get());
        if (WaitCount(gate.doneCount.Get(), count, kRunTimeoutMs))
            seconds = Seconds() - start;
    }
    for (TKernelHandle& client : clients) {
        DWORD code = 1;
        if (WaitForSingleObject(client.Get(), kGateTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(client.Get(), 1);
            WaitForSingleObject(client.Get(), kGateTimeoutMs);
        }
        GetExitCodeProcess(client.Get(), &code);
        if (code != 0)
            problem = "a client could not open the channel or a print failed (exit code " +
                      std::to_string(code) + ")";
    }
    if (!problem.empty() || seconds <= 0) {
        if (problem.empty())
            problem = "the clients did not start or finish in time";
        return -1;
    }
    return count * linesEach / seconds;
}

int ClientMain(const std::string& tag, int index, long lines) {
    Gate gate(tag, false);
    if (!gate.Valid())
        return 2;
    ChannelClient client;
    const bool opened = client.Open();
    ReleaseSemaphore(gate.readyCount.Get(), 1, nullptr);
    bool printed = opened && WaitForSingleObject(gate.start.Get(), kGateTimeoutMs) == WAIT_OBJECT_0;
    for (long number = 1; printed && number <= lines; ++number)
        printed = client.Print(MakeLine(index, number));
    // Always counted as done, so that a failed client does not keep the others' run waiting.
    ReleaseSemaphore(gate.doneCount.Get(), 1, nullptr);
    return !opened ? 3 : printed ? 0 : 4;
}

} // namespace bench
