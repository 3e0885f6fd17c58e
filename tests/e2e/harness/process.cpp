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

StartedProgram& StartedProgram::operator=(StartedProgram&& other) noexcept {
    if (this != &other) {
        Terminate();
        process_ = std::move(other.process_);
        id_ = other.id_;
    }
    return *this;
}

bool StartedProgram::Start(const std::string& commandLine, const std::string& folder, HANDLE input,
                           HANDLE output) {
    Terminate();
    process_.Reset();
    id_ = 0;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const bool redirected = input != nullptr || output != nullptr;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, redirected ? TRUE : FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = TKernelHandle(info.hProcess);
    id_ = info.dwProcessId;
    return true;
}

DWORD StartedProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (Started())
        GetExitCodeProcess(process_.Get(), &code);
    return code;
}

void StartedProgram::Terminate() {
    if (Running()) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

StartedProgram StartFedProgram(const std::string& commandLine, const std::string& inputPath,
                               const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const TFileHandle input(CreateFileA(inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const TFileHandle output(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    StartedProgram program;
    if (input.Valid() && output.Valid())
        program.Start(commandLine, std::string(), input.Get(), output.Get());
    return program;
}

ChildProgram::ChildProgram(const std::string& commandLine, const std::string& folder,
                           const std::string& input, bool keepInputOpen) {
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0))
        return;
    TKernelHandle childInput(inputRead), ourInput(inputWrite);
    if (!CreatePipe(&outputRead, &outputWrite, &inherit, 0))
        return;
    output_ = TKernelHandle(outputRead);
    const TKernelHandle childOutput(outputWrite);
    SetHandleInformation(ourInput.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_.Get(), HANDLE_FLAG_INHERIT, 0);

    if (!program_.Start(commandLine, folder, childInput.Get(), childOutput.Get()))
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

ProgramResult ChildProgram::Finish(DWORD timeoutMs) {
    CloseInput();
    if (!program_.Started())
        return result_;
    const DWORD start = GetTickCount();
    for (;;) {
        Drain(output_.Get(), result_.output);
        if (program_.Wait(15)) {
            result_.ended = true;
            break;
        }
        if (GetTickCount() - start >= timeoutMs) {
            program_.Terminate();
            break;
        }
    }
    Drain(output_.Get(), result_.output);
    result_.exitCode = program_.ExitCode();
    return result_;
}

ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, const std::string& input,
                         DWORD timeoutMs) {
    ChildProgram program(commandLine, folder, input);
    return program.Finish(timeoutMs);
}

} // namespace e2e
