#include "process.h"

#include "handle.h"

#include <vector>

namespace e2e {

namespace {

// Reads whatever the pipe holds now, without blocking.
void Drain(HANDLE pipe, std::string& output) {
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::vector<char> buffer(available);
        DWORD got = 0;
        if (!ReadFile(pipe, buffer.data(), available, &got, nullptr) || got == 0)
            return;
        output.append(buffer.data(), got);
    }
}

} // namespace

ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs) {
    ProgramResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0))
        return result;
    UniqueHandle childInput(inputRead), ourInput(inputWrite);
    if (!CreatePipe(&outputRead, &outputWrite, &inherit, 0))
        return result;
    UniqueHandle ourOutput(outputRead), childOutput(outputWrite);
    SetHandleInformation(ourInput.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(ourOutput.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput.Get();
    startup.hStdOutput = childOutput.Get();
    startup.hStdError = childOutput.Get();
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return result;
    }
    result.started = true;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    childInput.Reset();
    childOutput.Reset();

    DWORD written = 0;
    if (!input.empty())
        WriteFile(ourInput.Get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ourInput.Reset();

    const DWORD start = GetTickCount();
    for (;;) {
        Drain(ourOutput.Get(), result.output);
        if (WaitForSingleObject(process.Get(), 15) == WAIT_OBJECT_0) {
            result.ended = true;
            break;
        }
        if (GetTickCount() - start >= timeoutMs) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
            break;
        }
    }
    Drain(ourOutput.Get(), result.output);
    GetExitCodeProcess(process.Get(), &result.exitCode);
    return result;
}

} // namespace e2e
