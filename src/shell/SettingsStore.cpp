#include "shell/SettingsStore.h"

#include "shell/Registry.h"

#include "dravik/protocol.h"

const char* const SettingsKey = DRAVIK_SETTINGS_KEY;

namespace {
const std::size_t ValueBufferSize = 254;
}

void TSettingsStore::ReadRegString(const std::string& valueName, const std::string& defaultValue,
                                   std::string& value) const {
    value.clear();
    std::string data;
    switch (FRegistry.QueryValue(SettingsKey, valueName, ValueBufferSize, data)) {
    case TQueryStatus::KeyNotOpened:
        value = defaultValue;
        return;
    case TQueryStatus::ValueFailed:
        return;
    case TQueryStatus::Ok:
        value = data.substr(0, data.find('\0'));
        return;
    }
}

std::string TSettingsStore::ReadRegString(const std::string& valueName,
                                          const std::string& defaultValue) const {
    std::string value;
    ReadRegString(valueName, defaultValue, value);
    return value;
}

bool TSettingsStore::WriteRegString(const std::string& valueName, const std::string& value) {
    return FRegistry.SetStringValue(SettingsKey, valueName, value + '\0');
}
