#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/Registry.h"

// Registry keys and their values' raw data, for tests.
class TMemoryRegistry : public IRegistry {
  public:
    TQueryStatus QueryValue(const std::string& key, const std::string& valueName, std::size_t bufferSize,
                            std::string& data) override {
        const auto found = Keys.find(key);
        if (found == Keys.end() || DenyAccess)
            return TQueryStatus::KeyNotOpened;
        const auto value = found->second.find(valueName);
        if (value == found->second.end() || value->second.size() > bufferSize)
            return TQueryStatus::ValueFailed;
        data = value->second;
        return TQueryStatus::Ok;
    }
    bool SetStringValue(const std::string& key, const std::string& valueName,
                        const std::string& data) override {
        if (DenyAccess || DenyWrites)
            return false;
        Keys[key][valueName] = data;
        Writes.push_back(valueName);
        return true;
    }

    // Convenience for tests: the value as a string without its terminating zero.
    std::string StringValue(const std::string& key, const std::string& valueName) const {
        const std::string& data = Keys.at(key).at(valueName);
        return data.substr(0, data.find('\0'));
    }
    void SetString(const std::string& key, const std::string& valueName, const std::string& text) {
        Keys[key][valueName] = text + '\0';
    }

    std::map<std::string, std::map<std::string, std::string>> Keys;
    std::vector<std::string> Writes;
    bool DenyAccess = false;
    // Reads still work: a machine key a user who is not an administrator may read but not change.
    bool DenyWrites = false;
};
