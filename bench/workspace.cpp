#include "workspace.h"

#include "platform/Win32Handles.h"

#include "dravik/protocol.h"

#include <windows.h>

namespace bench {

std::string OwnPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string OwnFolder() {
    const std::string path = OwnPath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

TempFolder::TempFolder() {
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, base);
    if (length == 0 || length >= MAX_PATH)
        return;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = std::string(base) + "dravik-bench-" +
                                      std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate + "\\";
            return;
        }
    }
}

// A viewer that has just ended may still hold its files for a moment under Wine: try again for a while.
TempFolder::~TempFolder() {
    if (path_.empty())
        return;
    for (int attempt = 0; attempt < 30; ++attempt) {
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((path_ + "*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((path_ + entry.cFileName).c_str());
            } while (FindNextFileA(search, &entry));
            FindClose(search);
        }
        if (RemoveDirectoryA(path_.c_str()))
            return;
        Sleep(100);
    }
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    TFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.Valid() &&
           WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool DeleteViewerSettings() {
    // Both builds keep their settings in the registry's 32-bit view.
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRAVIK_VENDOR_KEY, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &parent) !=
        ERROR_SUCCESS) {
        return true;
    }
    const LSTATUS status = RegDeleteTreeA(parent, DRAVIK_SETTINGS_SUBKEY);
    RegCloseKey(parent);
    // Some systems leave the emptied key itself behind.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, DRAVIK_SETTINGS_KEY, KEY_WOW64_32KEY, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool SetViewerSetting(const std::string& name, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvane Software\\Dravik", 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const TRegKey owned(key);
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

} // namespace bench
