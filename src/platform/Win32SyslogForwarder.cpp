#include "platform/Win32SyslogForwarder.h"

#include <process.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "channel/syslog/SyslogFormat.h"
#include "channel/syslog/SyslogForwardQueue.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32Lock.h"

namespace {
// What one send over TCP takes from the queue.
const std::size_t BatchBytes = 64 * 1024;
// How long the first line of a burst waits for more, in milliseconds.
const std::uint64_t GatherTime = 20;
// A collector that does not answer a connection within this is tried
// again later.
const std::uint64_t ConnectTime = 5000;
// The close waits this much longer than the queue's own time: a sender may
// be on its last send when its time is up.
const DWORD CloseGrace = 200;

std::uint64_t Now() {
    return ::GetTickCount64();
}

std::string MachineName() {
    char name[256] = {};
    DWORD length = sizeof name;
    if (::GetComputerNameExA(ComputerNameDnsHostname, name, &length) && length > 0)
        return std::string(name, length);
    length = sizeof name;
    if (::GetComputerNameA(name, &length))
        return std::string(name, length);
    return std::string();
}

struct TAddressList {
    addrinfo* First = nullptr;
    TAddressList() = default;
    TAddressList(const TAddressList&) = delete;
    TAddressList& operator=(const TAddressList&) = delete;
    ~TAddressList() {
        if (First)
            ::freeaddrinfo(First);
    }
};
} // namespace

// What the senders have to say, for the window to collect.
struct TSyslogNotices {
    HWND Window = nullptr;
    TCriticalSection Lock;
    std::vector<std::string> Texts;
    bool Notified = false;

    void Add(std::string text) {
        bool notify = false;
        {
            const TLock lock(Lock);
            Texts.push_back(std::move(text));
            notify = !Notified;
            Notified = true;
        }
        if (notify && !(Window && ::PostMessageA(Window, TWin32SyslogForwarder::NoticeMessage, 0, 0))) {
            const TLock lock(Lock);
            Notified = false;
        }
    }
};

// One collector's queue and the thread that sends it. The thread holds the
// sender as long as it runs, so that a close which stops waiting for it
// leaves it nothing freed to touch.
class TSyslogSender {
  public:
    TSyslogSender(const TSyslogForward& to, const std::string& machineName,
                  std::shared_ptr<TSyslogNotices> notices)
        : FTo(to), FFormatter(machineName, to.Transport), FQueue(SyslogDestination(to)),
          FNotices(std::move(notices)), FWake(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

    bool Start(const std::shared_ptr<TSyslogSender>& self);
    // Called on the window's thread.
    void Queue(const TReceivedLine& line);
    void Close();
    HANDLE Thread() const { return FThread.Get(); }

  private:
    static unsigned __stdcall ThreadMain(void* holder);
    void Run();
    // Waits for one of the handles or the sender's wake-up, at most waitFor
    // milliseconds and never past the close's deadline; false on time-out.
    DWORD Wait(HANDLE handle, std::uint64_t waitFor);
    bool Connect();
    bool SendAll(const char* bytes, std::size_t length);
    void Disconnect();
    void Failed();
    void Sent(std::size_t count);

    TSyslogForward FTo;
    TSyslogFormatter FFormatter;
    // Queue is called on the window's thread only: its buffers are reused from line to line.
    TWin32ToUtf8 FToUtf8;
    std::string FUtf8;
    TWinsock FWinsock;
    TCriticalSection FLock;
    TSyslogForwardQueue FQueue;
    std::shared_ptr<TSyslogNotices> FNotices;
    TKernelHandle FWake;
    TKernelHandle FThread;
    // The sender thread's own.
    TSocket FSocket;
    TKernelHandle FSocketEvent;
    std::string FBatch;
};

bool TSyslogSender::Start(const std::shared_ptr<TSyslogSender>& self) {
    if (!FWake)
        return false;
    auto* holder = new std::shared_ptr<TSyslogSender>(self);
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, holder, 0, nullptr);
    if (thread == 0) {
        delete holder;
        return false;
    }
    FThread = TKernelHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

void TSyslogSender::Queue(const TReceivedLine& line) {
    std::string message;
    if (line.HasUtf8) {
        message = FFormatter.Format(line.Received, line.Origin, line.Utf8);
    } else {
        FToUtf8.Convert(line.Text, FUtf8);
        message = FFormatter.Format(line.Received, line.Origin, FUtf8);
    }
    bool wake = false;
    {
        const TLock lock(FLock);
        wake = FQueue.Empty();
        FQueue.Push(std::move(message));
    }
    // The sender waits for lines only when it has sent them all.
    if (wake)
        ::SetEvent(FWake.Get());
}

void TSyslogSender::Close() {
    {
        const TLock lock(FLock);
        FQueue.Close(Now());
    }
    ::SetEvent(FWake.Get());
}

unsigned __stdcall TSyslogSender::ThreadMain(void* holder) {
    std::shared_ptr<TSyslogSender> sender = std::move(*static_cast<std::shared_ptr<TSyslogSender>*>(holder));
    delete static_cast<std::shared_ptr<TSyslogSender>*>(holder);
    // A send that fails in any way is a failed connection: the queue keeps
    // what was not sent for the next try.
    for (;;) {
        try {
            sender->Run();
            return 0;
        } catch (...) {
            sender->Disconnect();
            sender->Failed();
        }
    }
}

void TSyslogSender::Run() {
    const bool tcp = FTo.Transport == TSyslogTransport::Tcp;
    for (;;) {
        const std::uint64_t now = Now();
        std::size_t count = 0;
        std::uint64_t retryAt = 0;
        {
            const TLock lock(FLock);
            if (FQueue.Finished(now))
                return;
            retryAt = FSocket ? 0 : FQueue.RetryAt();
            // Over UDP each message is a datagram of its own.
            if (retryAt <= now)
                count = FQueue.Peek(FBatch, tcp ? BatchBytes : 0);
        }
        if (retryAt > now) {
            Wait(nullptr, retryAt - now);
            continue;
        }
        if (count == 0) {
            // A collector that closes the connection meanwhile is noticed
            // now rather than by the lines sent into it next.
            const DWORD woken = Wait(FSocketEvent.Get(), INFINITE);
            // The first line of a burst waits a moment for the lines after
            // it: one wake-up and one send for many, not one for each, which
            // the window and the clients would pay for on a busy machine.
            if (woken == WAIT_OBJECT_0)
                Wait(nullptr, GatherTime);
            if (woken == WAIT_OBJECT_0 + 1 && FSocket) {
                WSANETWORKEVENTS events{};
                ::WSAEnumNetworkEvents(FSocket.Get(), FSocketEvent.Get(), &events);
                char ignored[256];
                if (events.lNetworkEvents & (FD_CLOSE | FD_READ))
                    if (::recv(FSocket.Get(), ignored, sizeof ignored, 0) <= 0 &&
                        ::WSAGetLastError() != WSAEWOULDBLOCK)
                        Disconnect();
            }
            continue;
        }
        if (!FSocket && !Connect()) {
            Failed();
            continue;
        }
        if (!SendAll(FBatch.data(), FBatch.size())) {
            Disconnect();
            Failed();
            continue;
        }
        Sent(count);
    }
}

DWORD TSyslogSender::Wait(HANDLE handle, std::uint64_t waitFor) {
    {
        const TLock lock(FLock);
        if (FQueue.Closing()) {
            const std::uint64_t now = Now();
            const std::uint64_t left = FQueue.CloseDeadline() > now ? FQueue.CloseDeadline() - now : 0;
            waitFor = std::min(waitFor, left);
        }
    }
    const HANDLE handles[] = {FWake.Get(), handle};
    const DWORD timeout = waitFor >= INFINITE ? INFINITE : static_cast<DWORD>(waitFor);
    return ::WaitForMultipleObjects(handle ? 2 : 1, handles, FALSE, timeout);
}

// Tries every address the name has, in the order the resolver gives them.
bool TSyslogSender::Connect() {
    if (FWinsock.Error() != 0)
        return false;
    const bool tcp = FTo.Transport == TSyslogTransport::Tcp;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = tcp ? SOCK_STREAM : SOCK_DGRAM;
    hints.ai_protocol = tcp ? IPPROTO_TCP : IPPROTO_UDP;
    TAddressList addresses;
    if (::getaddrinfo(FTo.Host.c_str(), std::to_string(FTo.Port).c_str(), &hints, &addresses.First) != 0)
        return false;
    for (const addrinfo* address = addresses.First; address; address = address->ai_next) {
        TSocket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        TKernelHandle event(::WSACreateEvent());
        if (!socket || !event ||
            ::WSAEventSelect(socket.Get(), event.Get(), FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) != 0)
            continue;
        if (::connect(socket.Get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK)
                continue;
            const std::uint64_t deadline = Now() + ConnectTime;
            WSANETWORKEVENTS events{};
            for (std::uint64_t now = Now(); now < deadline && !(events.lNetworkEvents & FD_CONNECT);
                 now = Now()) {
                const DWORD woken = Wait(event.Get(), deadline - now);
                if (woken == WAIT_TIMEOUT)
                    break;
                if (woken == WAIT_OBJECT_0 + 1)
                    ::WSAEnumNetworkEvents(socket.Get(), event.Get(), &events);
            }
            if (!(events.lNetworkEvents & FD_CONNECT) || events.iErrorCode[FD_CONNECT_BIT] != 0)
                continue;
        }
        FSocket = std::move(socket);
        FSocketEvent = std::move(event);
        // The connection is back: the queue may have a notice due.
        Sent(0);
        return true;
    }
    return false;
}

bool TSyslogSender::SendAll(const char* bytes, std::size_t length) {
    while (length > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
        const int sent = ::send(FSocket.Get(), bytes, chunk, 0);
        if (sent > 0) {
            bytes += sent;
            length -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        // The collector takes its time: wait for room, or for the close's
        // deadline.
        for (;;) {
            const DWORD woken = Wait(FSocketEvent.Get(), INFINITE);
            if (woken == WAIT_TIMEOUT)
                return false;
            if (woken != WAIT_OBJECT_0 + 1)
                continue;
            WSANETWORKEVENTS events{};
            ::WSAEnumNetworkEvents(FSocket.Get(), FSocketEvent.Get(), &events);
            if (events.lNetworkEvents & FD_CLOSE)
                return false;
            if (events.lNetworkEvents & FD_WRITE)
                break;
        }
    }
    return true;
}

void TSyslogSender::Disconnect() {
    FSocket.Reset();
    FSocketEvent.Reset();
}

void TSyslogSender::Failed() {
    const TLock lock(FLock);
    FQueue.Failed(Now());
}

void TSyslogSender::Sent(std::size_t count) {
    std::string notice;
    {
        const TLock lock(FLock);
        FQueue.Sent(count);
        notice = FQueue.TakeDropNotice();
    }
    if (!notice.empty())
        FNotices->Add(std::move(notice));
}

TWin32SyslogForwarder::TWin32SyslogForwarder()
    : FMachineName(MachineName()), FNotices(std::make_shared<TSyslogNotices>()) {}

TWin32SyslogForwarder::~TWin32SyslogForwarder() {
    Close();
}

void TWin32SyslogForwarder::SetWindow(HWND window) {
    const TLock lock(FNotices->Lock);
    FNotices->Window = window;
}

void TWin32SyslogForwarder::StartForwarding(const TSyslogForward& to) {
    StopForwarding();
    auto sender = std::make_shared<TSyslogSender>(to, FMachineName, FNotices);
    if (sender->Start(sender))
        FSender = std::move(sender);
}

void TWin32SyslogForwarder::StopForwarding() {
    DropFinishedSenders();
    if (!FSender)
        return;
    FSender->Close();
    FLeaving.push_back(std::move(FSender));
    FSender.reset();
}

void TWin32SyslogForwarder::Forward(const TReceivedLine& line) {
    if (FSender)
        FSender->Queue(line);
}

void TWin32SyslogForwarder::TakeNotices(std::vector<std::string>& notices) {
    const TLock lock(FNotices->Lock);
    notices.insert(notices.end(), FNotices->Texts.begin(), FNotices->Texts.end());
    FNotices->Texts.clear();
    FNotices->Notified = false;
}

// Every sender has the queue's close time from now; the close waits no
// longer than that for all of them together.
void TWin32SyslogForwarder::Close() {
    StopForwarding();
    const std::uint64_t deadline = Now() + TSyslogForwardQueue::CloseTime + CloseGrace;
    for (const auto& sender : FLeaving) {
        const std::uint64_t now = Now();
        ::WaitForSingleObject(sender->Thread(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    }
    FLeaving.clear();
}

void TWin32SyslogForwarder::DropFinishedSenders() {
    FLeaving.erase(std::remove_if(FLeaving.begin(), FLeaving.end(),
                                  [](const std::shared_ptr<TSyslogSender>& sender) {
                                      return ::WaitForSingleObject(sender->Thread(), 0) == WAIT_OBJECT_0;
                                  }),
                   FLeaving.end());
}
