#pragma once

#include <string>

class IRegistry;

extern const char* const SettingsKey;

// The viewer's settings: string values under one registry key.
class TSettingsStore {
  public:
    explicit TSettingsStore(IRegistry& registry) : FRegistry(registry) {}

    // A missing key gives defaultValue; a value missing from an existing key
    // (or too long for the 254-byte buffer) gives an empty string.
    void ReadRegString(const std::string& valueName, const std::string& defaultValue,
                       std::string& value) const;
    std::string ReadRegString(const std::string& valueName, const std::string& defaultValue) const;
    bool WriteRegString(const std::string& valueName, const std::string& value);

  private:
    IRegistry& FRegistry;
};
