#include "platform/Win32Registry.h"

#include <windows.h>

#include <vector>

#include "platform/Win32Handles.h"

TQueryStatus TWin32Registry::QueryValue(const std::string& key, const std::string& valueName,
                                        std::size_t bufferSize, std::string& data) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(FRoot, Path(key).c_str(), 0, KEY_QUERY_VALUE | FView, &opened) != ERROR_SUCCESS)
        return TQueryStatus::KeyNotOpened;
    const TRegKey keyHandle(opened);
    std::vector<BYTE> buffer(bufferSize);
    DWORD size = static_cast<DWORD>(bufferSize);
    if (::RegQueryValueExA(keyHandle.Get(), valueName.c_str(), nullptr, nullptr, buffer.data(), &size) !=
        ERROR_SUCCESS)
        return TQueryStatus::ValueFailed;
    data.assign(reinterpret_cast<const char*>(buffer.data()), size <= bufferSize ? size : bufferSize);
    return TQueryStatus::Ok;
}

bool TWin32Registry::SetStringValue(const std::string& key, const std::string& valueName,
                                    const std::string& data) {
    HKEY created = nullptr;
    if (::RegCreateKeyExA(FRoot, Path(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS | FView, nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    const TRegKey keyHandle(created);
    return ::RegSetValueExA(keyHandle.Get(), valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}
