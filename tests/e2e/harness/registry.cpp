#include "registry.h"

#include "dravik/protocol.h"

#include <vector>

namespace e2e {

const char* const kSettingsKey = DRAVIK_SETTINGS_KEY;
const REGSAM kSettingsView = KEY_WOW64_32KEY;

namespace {
const char* const kSettingsParent = DRAVIK_VENDOR_KEY;
const char* const kSettingsLeaf = DRAVIK_SETTINGS_SUBKEY;
} // namespace

TRegKey OpenMachineKey(const char* path, REGSAM access) {
    HKEY key = nullptr;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key) == ERROR_SUCCESS ? TRegKey(key)
                                                                                     : TRegKey();
}

namespace {
TRegKey CreateSettingsKey() {
    HKEY key = nullptr;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS | kSettingsView, nullptr, &key, nullptr) == ERROR_SUCCESS
               ? TRegKey(key)
               : TRegKey();
}
} // namespace

bool DeleteSettings() {
    if (const TRegKey parent = OpenMachineKey(kSettingsParent, KEY_ALL_ACCESS | kSettingsView)) {
        const LSTATUS status = RegDeleteTreeA(parent.Get(), kSettingsLeaf);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return false;
    }
    // RegDeleteTree on a key leaves the key itself on some systems; removing it makes sure.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, kSettingsView, 0);
    return !OpenMachineKey(kSettingsKey, KEY_READ | kSettingsView);
}

bool SetSettingRaw(const std::string& name, DWORD type, const std::string& data) {
    const TRegKey key = CreateSettingsKey();
    return key && RegSetValueExA(key.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool DeleteSetting(const std::string& name) {
    const TRegKey key = OpenMachineKey(kSettingsKey, KEY_SET_VALUE | kSettingsView);
    return key && RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool SetSetting(const std::string& name, const std::string& value) {
    return SetSettingRaw(name, REG_SZ, value + std::string(1, '\0'));
}

bool ReadSetting(const std::string& name, std::string& value) {
    value.clear();
    const TRegKey key = OpenMachineKey(kSettingsKey, KEY_QUERY_VALUE | kSettingsView);
    if (!key)
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return false;
    }
    // Strings are stored with their zero byte; the text ends there.
    value.assign(data.data(), size);
    const std::size_t end = value.find('\0');
    if (end != std::string::npos)
        value.erase(end);
    return true;
}

std::string SettingOrAbsent(const std::string& name) {
    std::string value;
    return ReadSetting(name, value) ? value : std::string("<absent>");
}

} // namespace e2e
