#pragma once

#include <cstdint>
#include <string>

#include "common/ReceivedLine.h"

// The executable names of the processes that write Windows' debug output, looked up once per process.
class IProcessNames {
  public:
    virtual ~IProcessNames() = default;
    // The name ("app.exe", in UTF-8) of the process with this id that wrote a message which the capture
    // took at taken (its local time); empty where it cannot be had: the process has gone or refuses to be
    // looked at, or the id now belongs to a process that started after the message was taken. Valid until
    // the next call.
    virtual const std::string& NameOf(std::uint32_t processId, const TLineTime& taken) = 0;
};
