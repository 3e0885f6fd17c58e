#pragma once

#include <utility>

// Runs an action when the scope ends, however it ends: a flag set, a batch
// begun or a control hidden for a while is put back also when an exception
// leaves the scope.
template <typename TAction> class TScopeGuard {
  public:
    explicit TScopeGuard(TAction action) : FAction(std::move(action)) {}
    ~TScopeGuard() { FAction(); }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

  private:
    TAction FAction;
};

// Sets a flag for the length of a scope.
class TFlagScope {
  public:
    explicit TFlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFlagScope() { FFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& FFlag;
};
