#include "process.h"

#include <utility>
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

UniqueHandle StartWithStandardHandles(const std::string& commandLine, const std::string& folder, HANDLE input,
                                      HANDLE output) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return UniqueHandle();
    }
    CloseHandle(info.hThread);
    return UniqueHandle(info.hProcess);
}

ChildProgram::ChildProgram(const std::string& commandLine, const std::string& folder,
                           const std::string& input, bool keepInputOpen) {
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0))
        return;
    UniqueHandle childInput(inputRead), ourInput(inputWrite);
    if (!CreatePipe(&outputRead, &outputWrite, &inherit, 0))
        return;
    output_ = UniqueHandle(outputRead);
    UniqueHandle childOutput(outputWrite);
    SetHandleInformation(ourInput.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_.Get(), HANDLE_FLAG_INHERIT, 0);

    process_ = StartWithStandardHandles(commandLine, folder, childInput.Get(), childOutput.Get());
    if (!process_.Valid())
        return;
    result_.started = true;

    input_ = std::move(ourInput);
    // The inputs used here are far below a pipe's buffer, so writing them all now cannot block.
    Write(input);
    if (!keepInputOpen)
        CloseInput();
}

bool ChildProgram::Write(const std::string& input) {
    DWORD written = 0;
    return input.empty() ||
           (input_.Valid() &&
            WriteFile(input_.Get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr) &&
            written == input.size());
}

ChildProgram::~ChildProgram() {
    if (process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

ProgramResult ChildProgram::Finish(DWORD timeoutMs) {
    CloseInput();
    if (!process_.Valid())
        return result_;
    const DWORD start = GetTickCount();
    for (;;) {
        Drain(output_.Get(), result_.output);
        if (WaitForSingleObject(process_.Get(), 15) == WAIT_OBJECT_0) {
            result_.ended = true;
            break;
        }
        if (GetTickCount() - start >= timeoutMs) {
            TerminateProcess(process_.Get(), 1);
            WaitForSingleObject(process_.Get(), 5000);
            break;
        }
    }
    Drain(output_.Get(), result_.output);
    GetExitCodeProcess(process_.Get(), &result_.exitCode);
    return result_;
}

ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs) {
    ChildProgram program(commandLine, folder, input);
    return program.Finish(timeoutMs);
}

} // namespace e2e
