#pragma once

#include "platform/Win32Handles.h"

// The pane's font: "Courier New", 12 pixels high at 96 dots per inch.
TGdiObject CreatePaneFont(int dpi);
