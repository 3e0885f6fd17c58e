#pragma once

#include <cstddef>
#include <string>

enum class TQueryStatus { Ok, KeyNotOpened, ValueFailed };

// Values under keys of the machine-wide settings hive. Each call opens the
// key, does its one thing and closes the key again.
class IRegistry {
  public:
    virtual ~IRegistry() = default;

    // Opens key for querying and reads valueName's data, whatever its type,
    // into a buffer of bufferSize bytes. Data that does not fit fails.
    virtual TQueryStatus QueryValue(const std::string& key, const std::string& valueName,
                                    std::size_t bufferSize, std::string& data) = 0;
    // Opens key with full access, creating it if needed, and sets valueName
    // to data as a string value (data already holds its terminating zero).
    virtual bool SetStringValue(const std::string& key, const std::string& valueName,
                                const std::string& data) = 0;
};
