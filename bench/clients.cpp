#include "clients.h"

#include "channel_client.h"
#include "workspace.h"

#include <windows.h>

namespace bench {

namespace {

const DWORD kGateTimeoutMs = 30000;
const DWORD kBlockTimeoutMs = 300000;

// The gates are named after the bench process and a running number, so that a group never meets the
// objects of an earlier one that a slow client still holds.
std::string NewTag() {
    static int groups = 0;
    return std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++groups);
}

bool WaitCount(HANDLE semaphore, int count, DWORD timeoutMs) {
    for (int i = 0; i < count; ++i) {
        if (WaitForSingleObject(semaphore, timeoutMs) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

TKernelHandle StartClient(const std::string& role, const std::string& tag, int index,
                          const std::string& order, long lines, const std::string& extra) {
    const std::string exe = OwnPath();
    std::string line = "\"" + exe + "\" " + role + " " + tag + " " + std::to_string(index) + " " + order +
                       " " + std::to_string(lines) + (extra.empty() ? "" : " " + extra);
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

std::string ReadyName(const std::string& tag) {
    return "DravikBenchReady" + tag;
}
std::string DoneName(const std::string& tag) {
    return "DravikBenchDone" + tag;
}
std::string GateName(const std::string& tag, std::size_t block) {
    return "DravikBenchGo" + tag + "_" + std::to_string(block);
}

ClientGroup::ClientGroup(int count, long linesEach, const std::string& order, const std::string& role,
                         const std::string& extra)
    : count_(count), linesEach_(linesEach), order_(order), role_(role), extra_(extra), tag_(NewTag()) {}

ClientGroup::~ClientGroup() {
    for (TKernelHandle& process : processes_) {
        if (WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), kGateTimeoutMs);
        }
    }
}

bool ClientGroup::Start(std::string& problem) {
    ready_ = TKernelHandle(CreateSemaphoreA(nullptr, 0, count_, ReadyName(tag_).c_str()));
    done_ = TKernelHandle(CreateSemaphoreA(nullptr, 0, count_, DoneName(tag_).c_str()));
    for (std::size_t block = 0; block < order_.size(); ++block)
        gates_.emplace_back(CreateEventA(nullptr, TRUE, FALSE, GateName(tag_, block).c_str()));
    for (const TKernelHandle& gate : gates_) {
        if (!gate.Valid())
            ready_ = TKernelHandle();
    }
    if (!ready_.Valid() || !done_.Valid()) {
        problem = "could not create the clients' gates";
        return false;
    }
    for (int i = 0; i < count_; ++i) {
        processes_.push_back(StartClient(role_, tag_, i + 1, order_, linesEach_, extra_));
        if (!processes_.back().Valid()) {
            problem = "could not start client process " + std::to_string(i + 1);
            return false;
        }
    }
    if (!WaitCount(ready_.Get(), count_, kGateTimeoutMs)) {
        problem = "the clients did not get ready in time";
        return false;
    }
    return true;
}

bool ClientGroup::RunBlock(std::size_t index) {
    return index < gates_.size() && SetEvent(gates_[index].Get()) &&
           WaitCount(done_.Get(), count_, kBlockTimeoutMs);
}

bool ClientGroup::Finish(std::string& problem) {
    bool allPrinted = true;
    for (TKernelHandle& process : processes_) {
        DWORD code = 1;
        if (WaitForSingleObject(process.Get(), kGateTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), kGateTimeoutMs);
        }
        GetExitCodeProcess(process.Get(), &code);
        if (code != 0) {
            problem = "a client could not open a channel or a print failed (exit code " +
                      std::to_string(code) + ")";
            allPrinted = false;
        }
    }
    return allPrinted;
}

int ClientMain(const std::string& tag, int index, const std::string& order, long linesEach) {
    TKernelHandle ready(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(tag).c_str()));
    TKernelHandle done(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, DoneName(tag).c_str()));
    if (!ready.Valid() || !done.Valid())
        return 2;
    ChannelClient dravik;
    ChannelClient null;
    const bool opened = (order.find('D') == std::string::npos || dravik.Open(kDravikNames)) &&
                        (order.find('N') == std::string::npos || null.Open(kNullViewerNames));
    ReleaseSemaphore(ready.Get(), 1, nullptr);
    bool printed = opened;
    long number = 0;
    for (std::size_t block = 0; block < order.size(); ++block) {
        TKernelHandle gate(OpenEventA(SYNCHRONIZE, FALSE, GateName(tag, block).c_str()));
        printed = printed && gate.Valid() && WaitForSingleObject(gate.Get(), kGateTimeoutMs) == WAIT_OBJECT_0;
        ChannelClient& client = order[block] == 'D' ? dravik : null;
        for (long line = 1; printed && line <= linesEach; ++line)
            printed = client.Print(MakeLine(index, ++number));
        // Always counted as done, so that a failed client does not keep the others' block waiting.
        ReleaseSemaphore(done.Get(), 1, nullptr);
    }
    return !opened ? 3 : printed ? 0 : 4;
}

} // namespace bench
