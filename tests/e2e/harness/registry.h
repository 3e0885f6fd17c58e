#pragma once

#include "platform/Win32Handles.h"

#include <string>

// The viewer's settings key, HKEY_LOCAL_MACHINE\SOFTWARE\Korvane Software\Dravik in the registry's 32-bit
// view, where both builds keep it. Every test shares it with the tests before it, so each one first puts it
// into the state it needs.
namespace e2e {

extern const char* const kSettingsKey;
extern const REGSAM kSettingsView;

// Opens a key of HKEY_LOCAL_MACHINE; empty when it cannot.
TRegKey OpenMachineKey(const char* path, REGSAM access);
// Removes the key with all its values, so that the viewer sees a first run.
bool DeleteSettings();
// Creates the key if needed and sets one REG_SZ value.
bool SetSetting(const std::string& name, const std::string& value);
// Sets a value of any type with raw data, for values a user or another program may have left there.
bool SetSettingRaw(const std::string& name, DWORD type, const std::string& data);
bool DeleteSetting(const std::string& name);
// Reads a value as text; false when the key or the value is absent.
bool ReadSetting(const std::string& name, std::string& value);
// The value's text, or "<absent>" so that a check failure shows what was missing.
std::string SettingOrAbsent(const std::string& name);

} // namespace e2e
