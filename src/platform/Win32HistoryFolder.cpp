#include "platform/Win32HistoryFolder.h"

#include <windows.h>

#include "platform/Win32Handles.h"

namespace {

struct TFindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::FindClose(handle); }
};
using TFindHandle = TOwned<HANDLE, TFindTraits>;

} // namespace

std::string TWin32HistoryFolder::FilePath(const std::string& name) const {
    if (FFolder.empty() || FFolder.back() == '\\' || FFolder.back() == '/')
        return FFolder + name;
    return FFolder + "\\" + name;
}

bool TWin32HistoryFolder::ListFiles(std::vector<THistoryFileEntry>& files) {
    WIN32_FIND_DATAA found{};
    const TFindHandle search(::FindFirstFileExA(FilePath("*").c_str(), FindExInfoBasic, &found,
                                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return false;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        files.push_back(THistoryFileEntry{found.cFileName,
                                          (std::uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (::FindNextFileA(search.Get(), &found));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

TFileHandle TWin32HistoryFolder::Open(const std::string& name) const {
    return TFileHandle(::CreateFileA(FilePath(name).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void TWin32HistoryFolder::CloseKeptFile() {
    FKept.Reset();
    FKeptName.clear();
}

bool TWin32HistoryFolder::ReadFile(const std::string& name, std::uint64_t offset, char* buffer,
                                   std::size_t size, std::size_t& read) {
    read = 0;
    TFileHandle own;
    HANDLE file;
    if (::GetCurrentThreadId() == FKeeper) {
        if (!FKept || FKeptName != name) {
            CloseKeptFile();
            FKept = Open(name);
            FKeptName = name;
        }
        file = FKept.Get();
    } else {
        own = Open(name);
        file = own.Get();
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    while (read < size) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + read;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const std::size_t wanted = size - read;
        const DWORD chunk = wanted > 0x40000000 ? 0x40000000 : static_cast<DWORD>(wanted);
        DWORD got = 0;
        if (!::ReadFile(file, buffer + read, chunk, &got, &at))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (got == 0)
            break;
        read += got;
    }
    return true;
}
