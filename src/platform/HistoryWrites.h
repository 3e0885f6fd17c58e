#pragma once

#include <windows.h>

// Where a window asks to be told of each write to the history (the History window asks the history's
// writer): after each write the writer posts the message to the window, without parameters.
class IHistoryWrites {
  public:
    virtual ~IHistoryWrites() = default;
    virtual void AddWrittenListener(HWND window, UINT message) = 0;
    virtual void RemoveWrittenListener(HWND window) = 0;
};
