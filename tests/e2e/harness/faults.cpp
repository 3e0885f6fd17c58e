#include "faults.h"

#include "files.h"

#include "dravik/protocol.h"

#include <cstdio>

namespace e2e {

void Figure(const std::string& name, long long value) {
    std::printf("FIGURE %s %lld\n", name.c_str(), value);
    std::fflush(stdout);
}

void Result(const std::string& caseName, const std::string& outcome) {
    std::printf("RESULT %s: %s\n", caseName.c_str(), outcome.c_str());
    std::fflush(stdout);
}

std::string UpperAsciiLetters(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string SetLogFileErrorLine(const std::string& name) {
    return "Error: Cannot set LogFile to \"" + UpperAsciiLetters(name) + "\"\r\n";
}

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool ReadOnlyIsEnforced(const std::string& folder) {
    const std::string probe = folder + "read-only-probe.txt";
    if (!WriteFileBytes(probe, "probe") || !SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY))
        return false;
    const TFileHandle writer(
        CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool refused = !writer.Valid();
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());
    return refused;
}

ClientTurn::ClientTurn() : mutex_(CreateMutexA(nullptr, FALSE, DRAVIK_MUTEX_NAME)) {}

bool ClientTurn::Take(DWORD timeoutMs) {
    if (!mutex_.Valid())
        return false;
    const DWORD wait = WaitForSingleObject(mutex_.Get(), timeoutMs);
    // A client that died holding the turn leaves it abandoned: it is ours all the same.
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void ClientTurn::Give() {
    if (mutex_.Valid())
        ReleaseMutex(mutex_.Get());
}

} // namespace e2e
