#include "shell/SharedSettingsRegistry.h"

namespace {
// Longer than any value the settings reads take, so that every store copy a
// read could see is found.
const std::size_t LargestStoreValue = 4096;
} // namespace

TQueryStatus TSharedSettingsRegistry::QueryValue(const std::string& key, const std::string& valueName,
                                                 std::size_t bufferSize, std::string& data) {
    std::string stored;
    const TQueryStatus inStore = FStore.QueryValue(key, valueName, bufferSize, stored);
    if (inStore == TQueryStatus::Ok) {
        data = stored;
        return inStore;
    }
    const TQueryStatus inMachine = FMachine.QueryValue(key, valueName, bufferSize, data);
    // Seen through virtualization, a key that exists only in the store exists.
    if (inMachine == TQueryStatus::KeyNotOpened && inStore == TQueryStatus::ValueFailed)
        return TQueryStatus::ValueFailed;
    return inMachine;
}

bool TSharedSettingsRegistry::SetStringValue(const std::string& key, const std::string& valueName,
                                             const std::string& data) {
    if (!FMachine.SetStringValue(key, valueName, data))
        return FStore.SetStringValue(key, valueName, data);
    std::string stored;
    if (FStore.QueryValue(key, valueName, LargestStoreValue, stored) == TQueryStatus::Ok)
        FStore.SetStringValue(key, valueName, data);
    return true;
}

std::string VirtualStoreKey(const std::string& machineKey) {
    const std::string software = "SOFTWARE\\";
    std::string rest = machineKey;
    if (rest.size() >= software.size()) {
        bool isSoftware = true;
        for (std::size_t i = 0; i < software.size(); ++i) {
            const char c = rest[i];
            const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            if (upper != software[i])
                isSoftware = false;
        }
        if (isSoftware)
            rest = "SOFTWARE\\WOW6432Node\\" + rest.substr(software.size());
    }
    return "Software\\Classes\\VirtualStore\\MACHINE\\" + rest;
}
