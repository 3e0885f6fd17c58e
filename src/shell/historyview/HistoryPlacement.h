#pragma once

#include "shell/MainWindow.h"

class TSettingsStore;

// The History window's place and size as the settings keep them. False where a value is missing or not a
// whole number, or the size is not positive: the window then takes the system's default place.
bool ReadHistoryPlacement(const TSettingsStore& settings, TPlacement& placement);
void WriteHistoryPlacement(TSettingsStore& settings, const TPlacement& placement);
