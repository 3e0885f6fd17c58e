#pragma once

// The four check boxes on the toolbar, which hold the viewer's switches.
enum class TCheckBoxId { cbFloat, cbToolbar, cbDebugOutput, cbLogConnect };
constexpr int CheckBoxCount = 4;

// The popup menu's check marks and enabled states, as refreshed each time
// before it opens.
struct TPopupMenuState {
    bool mnuFloatChecked = true;
    bool mnuToolbarChecked = true;
    bool mnuDebugOutputChecked = true;
    bool mnuLogConnectChecked = true;
    bool mnuCaptureChecked = false;
    bool mnuCutEnabled = false;
    bool mnuCopyEnabled = false;
    bool mnuPasteEnabled = false;
};
