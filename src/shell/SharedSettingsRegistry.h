#pragma once

#include <string>

#include "shell/Registry.h"

// Where the 64-bit build keeps its settings: in the place the 32-bit build's
// settings have on 64-bit Windows, so that a user who switches builds keeps
// them. That is the 32-bit view of the machine key (machine) and, for a user
// who is not an administrator, the copy Windows' registry virtualization made
// of it in the user's VirtualStore (store): the 32-bit build's writes land
// there when the machine key refuses them. A 64-bit process gets no such
// virtualization, so this class does what it would do.
class TSharedSettingsRegistry : public IRegistry {
  public:
    TSharedSettingsRegistry(IRegistry& machine, IRegistry& store) : FMachine(machine), FStore(store) {}

    // The store's copy of a value where it has one, the machine's otherwise.
    TQueryStatus QueryValue(const std::string& key, const std::string& valueName, std::size_t bufferSize,
                            std::string& data) override;
    // Into the machine key; where that is refused, into the store. A store copy
    // that would hide a value written to the machine key is brought up to date.
    bool SetStringValue(const std::string& key, const std::string& valueName,
                        const std::string& data) override;

  private:
    IRegistry& FMachine;
    IRegistry& FStore;
};

// The key under HKEY_CURRENT_USER that holds the virtualized copy of a 32-bit
// program's key under HKEY_LOCAL_MACHINE on 64-bit Windows:
// "SOFTWARE\A\B" -> "Software\Classes\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\A\B".
std::string VirtualStoreKey(const std::string& machineKey);
