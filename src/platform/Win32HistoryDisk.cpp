#include "platform/Win32HistoryDisk.h"

#include <windows.h>

#include "platform/Win32ErrorText.h"
#include "platform/Win32Handles.h"

namespace {
const DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One WriteFile call's most; a batch is at most a few tens of megabytes.
const std::size_t LargestWrite = 16 * 1048576;

struct TFindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE find) { ::FindClose(find); }
};
using TFind = TOwned<HANDLE, TFindTraits>;

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string LastErrorText() {
    return SystemErrorText(::GetLastError());
}
} // namespace

bool TWin32HistoryDisk::CreateFolder(const std::string& folder, std::string& reason) {
    if (::CreateDirectoryA(folder.c_str(), nullptr))
        return true;
    const DWORD error = ::GetLastError();
    if (IsFolder(folder))
        return true;
    reason = SystemErrorText(error);
    return false;
}

bool TWin32HistoryDisk::ListFolder(const std::string& folder, std::vector<THistoryFile>& files,
                                   std::string& reason) {
    files.clear();
    WIN32_FIND_DATAA found{};
    const TFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        reason = LastErrorText();
        return false;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        files.push_back(THistoryFile{
            found.cFileName, (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (::FindNextFileA(find.Get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
        reason = LastErrorText();
        return false;
    }
    return true;
}

IHistoryDisk::TCreate TWin32HistoryDisk::CreateNewFile(const std::string& path, std::string& reason) {
    const TFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, ShareAll, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return TCreate::Created;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return TCreate::Exists;
    reason = SystemErrorText(error);
    return TCreate::Failed;
}

std::size_t TWin32HistoryDisk::Append(const std::string& path, const char* bytes, std::size_t size,
                                      std::string& reason) {
    const TFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER none{};
    if (!file || !::SetFilePointerEx(file.Get(), none, nullptr, FILE_END)) {
        reason = LastErrorText();
        return 0;
    }
    std::size_t written = 0;
    while (written < size) {
        const std::size_t rest = size - written;
        const DWORD piece = static_cast<DWORD>(rest < LargestWrite ? rest : LargestWrite);
        DWORD done = 0;
        if (!::WriteFile(file.Get(), bytes + written, piece, &done, nullptr)) {
            reason = LastErrorText();
            break;
        }
        written += done;
        if (done == 0) {
            reason = SystemErrorText(ERROR_DISK_FULL);
            break;
        }
    }
    return written;
}

bool TWin32HistoryDisk::RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}
