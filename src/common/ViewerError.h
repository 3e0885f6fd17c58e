#pragma once

#include <stdexcept>
#include <string>

// An expected failure with a message meant for the user; the general error
// display shows it and the viewer carries on with the next event.
class TViewerError : public std::runtime_error {
  public:
    explicit TViewerError(const std::string& message) : std::runtime_error(message) {}
};
