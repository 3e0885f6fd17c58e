#pragma once

#include "shell/Registry.h"

// Keys under HKEY_LOCAL_MACHINE.
class TWin32Registry : public IRegistry {
public:
    TQueryStatus QueryValue(const std::string& key, const std::string& valueName, std::size_t bufferSize,
                            std::string& data) override;
    bool SetStringValue(const std::string& key, const std::string& valueName, const std::string& data) override;
};
