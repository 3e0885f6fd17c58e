#pragma once

#include <windows.h>

namespace e2e {

// Lets queued sent-message callbacks of this thread run (SendMessageCallback delivers them here).
void PumpMessages();

// Polls condition until it holds or timeoutMs has passed; never a fixed sleep, so a fast viewer keeps
// the run fast and a slow one under Wine still gets its time.
template <class Condition> bool WaitFor(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(15);
    }
}

} // namespace e2e
