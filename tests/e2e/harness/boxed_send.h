#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct ShownBox {
    std::string caption;
    std::string text;
    bool stopIcon = false;
};

struct BoxedAnswer {
    bool answered = false;
    LRESULT result = 0;
    std::vector<ShownBox> boxes;
};

// Sends a message that the viewer may answer only after showing a modal box (a plain SendMessage would
// wait for a box nobody dismisses). Every box the viewer's process shows meanwhile is read and dismissed.
BoxedAnswer SendDismissingBoxes(DWORD processId, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                DWORD timeoutMs = 15000);

} // namespace e2e
