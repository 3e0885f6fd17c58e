#pragma once

#include <windows.h>

#include "shell/Registry.h"
#include "shell/SharedSettingsRegistry.h"

// Keys under one root of the registry, seen through one registry view.
class TWin32Registry : public IRegistry {
  public:
    // HKEY_LOCAL_MACHINE in its 32-bit view, where the 32-bit build's
    // settings live on every Windows; the 64-bit build uses the same place.
    static TWin32Registry Machine() { return TWin32Registry(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, false); }
    // The user's VirtualStore copy of HKEY_LOCAL_MACHINE keys, which registry
    // virtualization keeps for the 32-bit build on 64-bit Windows.
    static TWin32Registry VirtualStore() { return TWin32Registry(HKEY_CURRENT_USER, KEY_WOW64_64KEY, true); }

    TQueryStatus QueryValue(const std::string& key, const std::string& valueName, std::size_t bufferSize,
                            std::string& data) override;
    bool SetStringValue(const std::string& key, const std::string& valueName,
                        const std::string& data) override;

  private:
    TWin32Registry(HKEY root, REGSAM view, bool inVirtualStore)
        : FRoot(root), FView(view), FInVirtualStore(inVirtualStore) {}
    std::string Path(const std::string& key) const { return FInVirtualStore ? VirtualStoreKey(key) : key; }

    HKEY FRoot;
    REGSAM FView;
    bool FInVirtualStore;
};

// Where this build keeps its settings. The 32-bit build uses the machine key
// and leaves virtualization to Windows; the 64-bit build, which Windows does
// not virtualize, reads and writes the same places itself.
class TWin32SettingsRegistry : public IRegistry {
  public:
    TWin32SettingsRegistry() = default;
    TWin32SettingsRegistry(const TWin32SettingsRegistry&) = delete;
    TWin32SettingsRegistry& operator=(const TWin32SettingsRegistry&) = delete;

    TQueryStatus QueryValue(const std::string& key, const std::string& valueName, std::size_t bufferSize,
                            std::string& data) override {
        return FSettings.QueryValue(key, valueName, bufferSize, data);
    }
    bool SetStringValue(const std::string& key, const std::string& valueName,
                        const std::string& data) override {
        return FSettings.SetStringValue(key, valueName, data);
    }

  private:
    TWin32Registry FMachine = TWin32Registry::Machine();
#if defined(_WIN64)
    TWin32Registry FStore = TWin32Registry::VirtualStore();
    TSharedSettingsRegistry FShared{FMachine, FStore};
    IRegistry& FSettings = FShared;
#else
    IRegistry& FSettings = FMachine;
#endif
};
