#pragma once

// The lock that the window's thread and the background thread share around the History window's model.
// The platform gives a critical section; the tests a std::mutex. An interface rather than std::mutex
// because the Windows toolchains in use have no std::mutex.
class IHistoryLock {
  public:
    virtual ~IHistoryLock() = default;
    virtual void Enter() = 0;
    virtual void Leave() = 0;
};

class THistoryLockScope {
  public:
    explicit THistoryLockScope(IHistoryLock& lock) : FLock(lock) { FLock.Enter(); }
    ~THistoryLockScope() { FLock.Leave(); }
    THistoryLockScope(const THistoryLockScope&) = delete;
    THistoryLockScope& operator=(const THistoryLockScope&) = delete;

  private:
    IHistoryLock& FLock;
};
