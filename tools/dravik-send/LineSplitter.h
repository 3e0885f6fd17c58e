#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Cuts a byte stream that arrives in arbitrary chunks into lines. A line ends at LF; a CR just before the
// LF belongs to the ending, as does a CR at the very end of the stream. Bytes are otherwise kept as they are.
class LineSplitter {
  public:
    // Returns false when a line handler returns false; the rest of the chunk is then dropped.
    using LineHandler = std::function<bool(const std::string&)>;

    bool Feed(const char* data, std::size_t size, const LineHandler& onLine);
    // The last line when the stream does not end with LF; nothing for an empty remainder.
    bool Finish(const LineHandler& onLine);

  private:
    std::string pending_;
};
