#pragma once

#include <windows.h>

#include "shell/historyview/HistoryLock.h"

// The History window's model is shared between the window's thread and its background thread under a
// critical section: held for moments only, it never waits on the disk. A thread that finds it taken spins
// a while before it sleeps, as the holder is about to let go: sleeping and waking cost a call to the
// system each (under Wine a round trip to its server).
class TWin32HistoryLock : public IHistoryLock {
  public:
    TWin32HistoryLock() { ::InitializeCriticalSectionAndSpinCount(&FSection, 4000); }
    ~TWin32HistoryLock() override { ::DeleteCriticalSection(&FSection); }
    TWin32HistoryLock(const TWin32HistoryLock&) = delete;
    TWin32HistoryLock& operator=(const TWin32HistoryLock&) = delete;

    void Enter() override { ::EnterCriticalSection(&FSection); }
    void Leave() override { ::LeaveCriticalSection(&FSection); }

  private:
    CRITICAL_SECTION FSection;
};
