#include "platform/Win32FileSystem.h"

#include <windows.h>

#include <vector>

#include "platform/Win32Handles.h"

namespace {
// Files are opened without sharing: while the viewer reads or writes a log,
// no other program sees it half written, and a file another program holds
// open is reported instead of being read or written underneath it.
TFileHandle OpenUnshared(const std::string& name, DWORD access, DWORD disposition) {
    return TFileHandle(
        ::CreateFileA(name.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}
} // namespace

bool TWin32FileSystem::IsExistingFile(const std::string& name) const {
    if (name.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TWin32FileSystem::ReadWholeFile(const std::string& name, std::string& bytes) {
    const TFileHandle file = OpenUnshared(name, GENERIC_READ, OPEN_EXISTING);
    if (!file)
        return false;
    std::string content;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF)
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
            return false;
        if (read == 0)
            break;
        content.append(chunk.data(), read);
    }
    bytes.swap(content);
    return true;
}

namespace {
// ReplaceFile refuses names relative to the current directory on some
// systems, so a save works on the full path of the file.
std::string FullPathOf(const std::string& name) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFullPathNameA(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0)
            return name;
        if (length < path.size())
            return std::string(path.data(), length);
        path.resize(length + 1);
    }
}

std::string FolderOf(const std::string& name) {
    const std::string::size_type separator = name.find_last_of("\\/");
    if (separator == std::string::npos)
        return ".";
    return name.substr(0, separator + 1);
}

// A file that only this save made is not left behind empty.
TWriteResult Failed(const std::string& name, bool existed, TWriteResult result) {
    if (!existed)
        ::DeleteFileA(name.c_str());
    return result;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t remaining = bytes.size() - written;
        const DWORD piece = static_cast<DWORD>(remaining < 0x10000000 ? remaining : 0x10000000);
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data() + written, piece, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    return ::FlushFileBuffers(file) != FALSE;
}
} // namespace

// A save must never leave the file it replaces half written: the bytes go
// into a new file beside it first, which takes the old one's place only
// once it is complete (keeping the old file's attributes and permissions).
// The old file is opened exclusively beforehand, so that a file another
// program holds, a read-only file, a folder or a name in a missing folder
// fail as before, with nothing written.
TWriteResult TWin32FileSystem::WriteWholeFile(const std::string& fileName, const std::string& bytes) {
    const std::string name = FullPathOf(fileName);
    bool existed = false;
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    {
        const TFileHandle target = OpenUnshared(name, GENERIC_WRITE, OPEN_ALWAYS);
        if (!target)
            return TWriteResult::CannotCreate;
        existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    char temporary[MAX_PATH + 1] = {};
    if (!::GetTempFileNameA(FolderOf(name).c_str(), "dkv", 0, temporary))
        return Failed(name, existed, TWriteResult::CannotCreate);
    bool complete = false;
    {
        const TFileHandle file = OpenUnshared(temporary, GENERIC_WRITE, CREATE_ALWAYS);
        complete = file && WriteAll(file.Get(), bytes);
    }
    const bool replaced =
        complete && (existed ? ::ReplaceFileA(name.c_str(), temporary, nullptr,
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                             : ::MoveFileExA(temporary, name.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (replaced) {
        // Not every system's ReplaceFile carries the attributes (hidden, ...) over.
        if (existed && attributes != INVALID_FILE_ATTRIBUTES)
            ::SetFileAttributesA(name.c_str(), attributes);
        return TWriteResult::Ok;
    }
    ::DeleteFileA(temporary);
    return Failed(name, existed, TWriteResult::WriteFailed);
}

// Unlike a save, nothing opens or creates name itself beforehand: a file
// that is found at all must be whole, since its mere presence is taken to
// mean something. The bytes go into a file of a fixed name beside it, so
// that a viewer ended midway leaves no more than that one file, which the
// next write replaces; the rename over name is a single step of the file
// system.
bool TWin32FileSystem::WriteFileInOneStep(const std::string& name, const std::string& temporaryName,
                                          const std::string& bytes) {
    bool complete = false;
    {
        const TFileHandle file = OpenUnshared(temporaryName, GENERIC_WRITE, CREATE_ALWAYS);
        complete = file && WriteAll(file.Get(), bytes);
    }
    if (complete && ::MoveFileExA(temporaryName.c_str(), name.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(temporaryName.c_str());
    return false;
}

std::uint64_t TWin32FileSystem::LastWriteTime(const std::string& name) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (name.empty() || !::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool TWin32FileSystem::CanOpenForWriting(const std::string& name) {
    return OpenUnshared(name, GENERIC_WRITE, OPEN_EXISTING).Valid();
}

bool TWin32FileSystem::CreateNewFile(const std::string& name) {
    return OpenUnshared(name, GENERIC_WRITE, CREATE_NEW).Valid();
}

void TWin32FileSystem::RemoveFile(const std::string& name) {
    ::DeleteFileA(name.c_str());
}

std::string TWin32FileSystem::ExecutableDirectory() const {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            const std::string full(path.data(), length);
            const std::string::size_type separator = full.find_last_of("\\/");
            return separator == std::string::npos ? std::string() : full.substr(0, separator + 1);
        }
        path.resize(path.size() * 2);
    }
}
