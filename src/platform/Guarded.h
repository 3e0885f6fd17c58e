#pragma once

#include <exception>

// The general error display, as the window procedures reach it: whatever a
// message's handling raises ends there, and the program goes on with the next
// message.
class IErrorDisplay {
  public:
    virtual ~IErrorDisplay() = default;
    virtual void ShowUnexpectedError(const char* message) = 0;
};

// Runs one message's handling; what it raises goes to the display. True when
// nothing was raised.
template <typename THandler> bool Guarded(IErrorDisplay& display, THandler&& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        display.ShowUnexpectedError(error.what());
    } catch (...) {
        display.ShowUnexpectedError("Unknown error");
    }
    return false;
}
