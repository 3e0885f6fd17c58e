#include "channel_client.h"

#include "clock.h"

#include "dravik/protocol.h"

#include <cstdio>
#include <cstring>

namespace bench {

namespace {
const UINT kPrintMessage = DRAVIK_MSG_PRINT;
// Generous: a viewer that takes this long for one line has failed the benchmark anyway.
const UINT kSendTimeoutMs = 10000;
} // namespace

const ChannelNames kDravikNames = {DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE, DRAVIK_REGION_NAME,
                                   DRAVIK_MUTEX_NAME};
const ChannelNames kNullViewerNames = {"DravikBenchNullViewer", "DravikBenchNullViewer",
                                       "DravikBenchNullRegion", "DravikBenchNullMutex"};

bool ChannelClient::Open(const ChannelNames& names) {
    window_ = FindWindowA(names.windowClass, names.title);
    mapping_ = TKernelHandle(OpenFileMappingA(FILE_MAP_WRITE, FALSE, names.region));
    if (window_ == nullptr || !mapping_.Valid())
        return false;
    view_ = TMappedView(MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, 0));
    MEMORY_BASIC_INFORMATION info;
    if (!view_ || VirtualQuery(view_.Get(), &info, sizeof info) != sizeof info || info.RegionSize < 4096)
        return false;
    size_ = info.RegionSize;
    mutex_ = TKernelHandle(CreateMutexA(nullptr, FALSE, names.mutex));
    return mutex_.Valid();
}

bool ChannelClient::Print(const std::string& text, double& sendSeconds) {
    if (text.size() + 2 > size_)
        return false;
    const DWORD wait = WaitForSingleObject(mutex_.Get(), kSendTimeoutMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return false;
    char* region = static_cast<char*>(view_.Get());
    std::memcpy(region + 1, text.c_str(), text.size() + 1);
    DWORD_PTR answer = 0;
    const double start = Seconds();
    const LRESULT sent = SendMessageTimeoutA(window_, kPrintMessage, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                             kSendTimeoutMs, &answer);
    sendSeconds = Seconds() - start;
    ReleaseMutex(mutex_.Get());
    return sent != 0;
}

bool ChannelClient::Print(const std::string& text) {
    double ignored = 0;
    return Print(text, ignored);
}

bool ChannelClient::Send(const std::string& text) {
    if (text.size() + 2 > size_)
        return false;
    std::memcpy(static_cast<char*>(view_.Get()) + 1, text.c_str(), text.size() + 1);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window_, kPrintMessage, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &answer) != 0;
}

std::string ChannelClient::RegionText() const {
    if (!view_)
        return std::string();
    const char* text = static_cast<const char*>(view_.Get()) + 1;
    const void* zero = std::memchr(text, 0, size_ - 1);
    return zero != nullptr ? std::string(text, static_cast<const char*>(zero)) : std::string();
}

std::string MakeLine(int client, long number) {
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "client %d line %06ld ", client, number);
    std::string line = prefix;
    while (line.size() < 80)
        line += static_cast<char>('a' + line.size() % 26);
    return line;
}

} // namespace bench
