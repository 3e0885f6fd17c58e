#pragma once

#include <windows.h>

// A critical section, and the lock that holds it for a scope. MinGW's
// default thread model has no std::mutex.
class TCriticalSection {
  public:
    TCriticalSection() { ::InitializeCriticalSection(&FSection); }
    ~TCriticalSection() { ::DeleteCriticalSection(&FSection); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

  private:
    friend class TLock;
    CRITICAL_SECTION FSection;
};

class TLock {
  public:
    explicit TLock(TCriticalSection& section) : FSection(section.FSection) {
        ::EnterCriticalSection(&FSection);
    }
    ~TLock() { ::LeaveCriticalSection(&FSection); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

  private:
    CRITICAL_SECTION& FSection;
};
