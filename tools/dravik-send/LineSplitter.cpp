#include "LineSplitter.h"

namespace {

void StripCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}

} // namespace

bool LineSplitter::Feed(const char* data, std::size_t size, const LineHandler& onLine) {
    const char* end = data + size;
    while (data != end) {
        const char* lineFeed = static_cast<const char*>(std::char_traits<char>::find(data, end - data, '\n'));
        if (lineFeed == nullptr) {
            pending_.append(data, end);
            return true;
        }
        pending_.append(data, lineFeed);
        data = lineFeed + 1;
        std::string line;
        line.swap(pending_);
        StripCarriageReturn(line);
        if (!onLine(line))
            return false;
    }
    return true;
}

bool LineSplitter::Finish(const LineHandler& onLine) {
    if (pending_.empty())
        return true;
    std::string line;
    line.swap(pending_);
    StripCarriageReturn(line);
    return onLine(line);
}
