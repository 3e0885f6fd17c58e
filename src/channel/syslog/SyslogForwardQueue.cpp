#include "channel/syslog/SyslogForwardQueue.h"

#include <algorithm>
#include <utility>

TSyslogForwardQueue::TSyslogForwardQueue(std::string destination) : FDestination(std::move(destination)) {}

bool TSyslogForwardQueue::Push(std::string message) {
    if (message.size() > Capacity - FBytes) {
        ++FDropped;
        return false;
    }
    FBytes += message.size();
    FMessages.push_back(std::move(message));
    return true;
}

std::size_t TSyslogForwardQueue::Peek(std::string& batch, std::size_t maxBytes) const {
    batch.clear();
    std::size_t count = 0;
    for (const std::string& message : FMessages) {
        if (count > 0 && batch.size() + message.size() > maxBytes)
            break;
        batch += message;
        ++count;
    }
    return count;
}

void TSyslogForwardQueue::Sent(std::size_t count) {
    count = std::min(count, FMessages.size());
    for (std::size_t i = 0; i < count; ++i) {
        FBytes -= FMessages.front().size();
        FMessages.pop_front();
    }
    if (!FWorking)
        FBackAgain = true;
    FWorking = true;
    FRetryDelay = FirstRetryDelay;
    FRetryAt = 0;
}

// 1 s after the first failure, doubling with each one after it, to 30 s.
void TSyslogForwardQueue::Failed(std::uint64_t now) {
    FWorking = false;
    FBackAgain = false;
    FRetryAt = now + FRetryDelay;
    FRetryDelay = std::min(FRetryDelay * 2, LongestRetryDelay);
}

// Right after the connection is back the reader learns at once what was
// lost meanwhile; lines lost to a collector too slow for them are told once
// the queue has room again, not after every send.
std::string TSyslogForwardQueue::TakeDropNotice() {
    const bool due = FDropped > 0 && FWorking && (FBackAgain || FBytes <= Capacity / 2);
    FBackAgain = false;
    if (!due)
        return std::string();
    const std::string count = std::to_string(FDropped);
    FDropped = 0;
    const char* lines = count == "1" ? " line was" : " lines were";
    return "***** " + count + lines + " not forwarded to " + FDestination + " *****";
}

void TSyslogForwardQueue::Close(std::uint64_t now) {
    if (FClosing)
        return;
    FClosing = true;
    FCloseDeadline = now + CloseTime;
}

bool TSyslogForwardQueue::Finished(std::uint64_t now) const {
    return FClosing && (FMessages.empty() || now >= FCloseDeadline);
}
