#include "platform/Win32SyslogReceiver.h"

#include <process.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "channel/syslog/SyslogFraming.h"
#include "channel/syslog/SyslogLines.h"
#include "channel/syslog/SyslogMessage.h"
#include "platform/Win32Clock.h"
#include "platform/Win32CodePage.h"

namespace {
// Generous: a window held up for seconds while messages keep coming loses
// none; a line costs its text and the bookkeeping around it.
const std::size_t HandOverLimit = 32 * 1024 * 1024;
// One read of a connection or a datagram: a whole frame or message fits.
const std::size_t ReadSize = 64 * 1024;
// How much one pass takes from each source before it looks at the others,
// so that no sender keeps the rest waiting. Datagrams are many and small, and
// the system drops what its buffer cannot hold: a pass takes many of them.
const int DatagramsPerPass = 1024;
const int ReadsPerPass = 4;
// The most lines the window takes at a time.
const std::size_t LinesPerCollect = 500;
// Datagrams come in bursts faster than a window takes them; the system
// keeps this many bytes while the reader is busy (it may allow less).
const int DatagramBuffer = 4 * 1024 * 1024;

std::size_t LineBytes(const TReceivedLine& line) {
    return sizeof line + line.Text.size() + line.Utf8.size() + line.Origin.Host.size() +
           line.Origin.App.size() + line.Origin.ProcId.size() + line.Origin.Address.size();
}

void Add(TSyslogReceiverCounts& to, const TSyslogReceiverCounts& counts) {
    to.CutFrames += counts.CutFrames;
    to.RefusedConnections += counts.RefusedConnections;
    to.DroppedMessages += counts.DroppedMessages;
}

bool Any(const TSyslogReceiverCounts& counts) {
    return counts.CutFrames > 0 || counts.RefusedConnections > 0 || counts.DroppedMessages > 0;
}

std::string ListenError(std::uint16_t port, int code) {
    return "Cannot receive syslog on port " + std::to_string(port) + ": " + SocketErrorText(code);
}

// A socket of the given type bound to port on every interface: IPv6 and
// IPv4 together where the system has IPv6, else IPv4 alone.
TSocket BoundSocket(int type, std::uint16_t port, int& error) {
    TSocket dual(::socket(AF_INET6, type, 0));
    DWORD v6Only = 0;
    if (dual && ::setsockopt(dual.Get(), IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&v6Only),
                             sizeof v6Only) == 0) {
        BOOL exclusive = TRUE;
        ::setsockopt(dual.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                     sizeof exclusive);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_any;
        address.sin6_port = ::htons(port);
        if (::bind(dual.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return dual;
        // A port in use or forbidden is so for IPv4 as well.
        error = ::WSAGetLastError();
        if (error == WSAEADDRINUSE || error == WSAEACCES)
            return TSocket();
    }
    TSocket v4(::socket(AF_INET, type, 0));
    if (!v4) {
        error = ::WSAGetLastError();
        return TSocket();
    }
    BOOL exclusive = TRUE;
    ::setsockopt(v4.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                 sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_ANY);
    address.sin_port = ::htons(port);
    if (::bind(v4.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = ::WSAGetLastError();
        return TSocket();
    }
    return v4;
}
} // namespace

struct TWin32SyslogReceiver::TConnection {
    TSocket Socket;
    std::string Address;
    TSyslogFramer Framer;
    std::uint64_t CutCounted = 0;
    bool Ended = false;
};

TWin32SyslogReceiver::TWin32SyslogReceiver() = default;

TWin32SyslogReceiver::~TWin32SyslogReceiver() {
    StopListening();
}

bool TWin32SyslogReceiver::Listen(std::uint16_t port, std::string& error) {
    if (FWinsock.Error() != 0) {
        error = ListenError(port, FWinsock.Error());
        return false;
    }
    int code = 0;
    TListeners listeners;
    listeners.Tcp = BoundSocket(SOCK_STREAM, port, code);
    if (listeners.Tcp && ::listen(listeners.Tcp.Get(), SOMAXCONN) != 0)
        code = ::WSAGetLastError();
    else if (listeners.Tcp)
        listeners.Udp = BoundSocket(SOCK_DGRAM, port, code);
    if (!listeners.Udp) {
        error = ListenError(port, code);
        return false;
    }
    int buffer = DatagramBuffer;
    ::setsockopt(listeners.Udp.Get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer),
                 sizeof buffer);

    TKernelHandle network(::WSACreateEvent());
    TKernelHandle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!network || !stop || ::WSAEventSelect(listeners.Tcp.Get(), network.Get(), FD_ACCEPT) != 0 ||
        ::WSAEventSelect(listeners.Udp.Get(), network.Get(), FD_READ) != 0) {
        error = ListenError(port, static_cast<int>(::GetLastError()));
        return false;
    }
    // The new port is had: only now the old one goes.
    StopListening();
    FListeners = std::move(listeners);
    FNetwork = std::move(network);
    FStop = std::move(stop);
    FBuffer.resize(ReadSize);
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr);
    if (thread == 0) {
        error = ListenError(port, static_cast<int>(::GetLastError()));
        StopListening();
        return false;
    }
    FThread = TKernelHandle(reinterpret_cast<HANDLE>(thread));
    // Datagrams that the system cannot hold until the reader comes are lost
    // uncounted: the reader, which does little per message, goes first.
    ::SetThreadPriority(FThread.Get(), THREAD_PRIORITY_ABOVE_NORMAL);
    return true;
}

// The reader never blocks but in its wait, so it ends at once. What it had
// handed over stays for the window to collect.
void TWin32SyslogReceiver::StopListening() {
    if (FThread) {
        ::SetEvent(FStop.Get());
        ::WaitForSingleObject(FThread.Get(), INFINITE);
        FThread.Reset();
    }
    FConnections.clear();
    FListeners = TListeners();
    FReading.clear();
    FReadingBytes = 0;
    const TLock lock(FLock);
    FStalled = false;
    FNetwork.Reset();
    FStop.Reset();
}

// A flood is handed on in slices, each by a message of its own, so that
// prints and the user's clicks get their turn in between.
TSyslogReceiverCounts TWin32SyslogReceiver::Collect(std::vector<TReceivedLine>& lines) {
    TSyslogReceiverCounts counts;
    bool more = false;
    {
        const TLock lock(FLock);
        if (FTaken == FPending.size()) {
            FPending.clear();
            FTaken = 0;
            FPending.swap(FLines);
            FBytes = 0;
            // The reader left connections waiting for room: there is room now.
            if (FStalled && FNetwork)
                ::SetEvent(FNetwork.Get());
            FStalled = false;
        }
        counts = std::exchange(FCounts, TSyslogReceiverCounts());
        more = FPending.size() - FTaken > LinesPerCollect || !FLines.empty();
        // While slices remain, the window is told here; the reader tells
        // it again only once it has collected everything.
        FNotified = more;
    }
    const std::size_t end = std::min(FPending.size(), FTaken + LinesPerCollect);
    lines.insert(lines.end(), std::make_move_iterator(FPending.begin() + static_cast<std::ptrdiff_t>(FTaken)),
                 std::make_move_iterator(FPending.begin() + static_cast<std::ptrdiff_t>(end)));
    FTaken = end;
    if (more && !(FWindow && ::PostMessageA(FWindow, ArrivedMessage, 0, 0))) {
        const TLock lock(FLock);
        FNotified = false;
    }
    return counts;
}

unsigned __stdcall TWin32SyslogReceiver::ThreadMain(void* self) {
    // Nothing from the network may end the viewer: a pass that fails is
    // left, and the next one starts afresh.
    TWin32SyslogReceiver& receiver = *static_cast<TWin32SyslogReceiver*>(self);
    for (;;) {
        try {
            receiver.Run();
            return 0;
        } catch (...) {
            receiver.FReading.clear();
            receiver.FReadingBytes = 0;
            // Out of memory, most likely: give the window a moment to take
            // what it has.
            ::Sleep(10);
        }
    }
}

void TWin32SyslogReceiver::Run() {
    const HANDLE wakers[] = {FStop.Get(), FNetwork.Get()};
    DWORD wait = 0;
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, wakers, FALSE, wait);
        if (woken != WAIT_OBJECT_0 + 1 && woken != WAIT_TIMEOUT)
            return;
        // Whatever arrives from here on sets the event again.
        ::ResetEvent(FNetwork.Get());
        wait = Receive() ? 0 : INFINITE;
    }
}

// One pass over every socket; true when a source had more than a pass takes.
bool TWin32SyslogReceiver::Receive() {
    {
        const TLock lock(FLock);
        FHandedBytes = FBytes;
    }
    bool more = AcceptConnections();
    more = ReadDatagrams() || more;
    for (auto& connection : FConnections)
        more = ReadConnection(*connection) || more;
    FConnections.erase(std::remove_if(FConnections.begin(), FConnections.end(),
                                      [](const std::unique_ptr<TConnection>& c) { return c->Ended; }),
                       FConnections.end());
    const bool stalled = !HasRoom();
    HandOver(stalled);
    // Connections that had to wait are read again when the window makes room.
    return more && !stalled;
}

// The hand-over as it was at the start of the pass (the window only empties
// it meanwhile) and what this pass has read.
bool TWin32SyslogReceiver::HasRoom() const {
    return FHandedBytes + FReadingBytes < HandOverLimit;
}

// Beyond MostConnections a connection is closed at once: its sender learns
// that it was not taken and may try again later.
bool TWin32SyslogReceiver::AcceptConnections() {
    for (std::size_t accepted = 0; accepted < MostConnections; ++accepted) {
        sockaddr_storage peer{};
        int peerLength = sizeof peer;
        TSocket socket(::accept(FListeners.Tcp.Get(), reinterpret_cast<sockaddr*>(&peer), &peerLength));
        if (!socket)
            return false;
        if (FConnections.size() >= MostConnections) {
            ++FPassCounts.RefusedConnections;
            continue;
        }
        if (::WSAEventSelect(socket.Get(), FNetwork.Get(), FD_READ | FD_CLOSE) != 0)
            continue;
        auto connection = std::make_unique<TConnection>();
        connection->Socket = std::move(socket);
        connection->Address = PeerAddressText(reinterpret_cast<const sockaddr*>(&peer), peerLength);
        FConnections.push_back(std::move(connection));
    }
    return true;
}

// One message per datagram. Without room they are read all the same, and
// counted as dropped, rather than lost uncounted in the system's buffer.
bool TWin32SyslogReceiver::ReadDatagrams() {
    for (int count = 0; count < DatagramsPerPass; ++count) {
        sockaddr_storage peer{};
        int peerLength = sizeof peer;
        const int received =
            ::recvfrom(FListeners.Udp.Get(), FBuffer.data(), static_cast<int>(FBuffer.size()), 0,
                       reinterpret_cast<sockaddr*>(&peer), &peerLength);
        std::size_t length = received > 0 ? static_cast<std::size_t>(received) : 0;
        if (received < 0) {
            const int error = ::WSAGetLastError();
            if (error != WSAEMSGSIZE)
                return false;
            // A datagram longer than a message may be: its start is kept.
            length = FBuffer.size();
            ++FPassCounts.CutFrames;
        }
        if (!HasRoom()) {
            ++FPassCounts.DroppedMessages;
            continue;
        }
        if (peerLength != FLastPeerLength || std::memcmp(&peer, &FLastPeer, sizeof peer) != 0) {
            FLastPeer = peer;
            FLastPeerLength = peerLength;
            FLastPeerText = PeerAddressText(reinterpret_cast<const sockaddr*>(&peer), peerLength);
        }
        TakeMessage(std::string_view(FBuffer.data(), length), FLastPeerText);
    }
    return true;
}

// Reads a connection until it has nothing more for now; true when it may
// still have more after ReadsPerPass reads. At its end, what came of an
// unfinished frame is taken as the framer says.
bool TWin32SyslogReceiver::ReadConnection(TConnection& connection) {
    for (int count = 0; count < ReadsPerPass; ++count) {
        if (!HasRoom())
            return true;
        const int received =
            ::recv(connection.Socket.Get(), FBuffer.data(), static_cast<int>(FBuffer.size()), 0);
        if (received < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK)
            return false;
        if (received > 0)
            connection.Framer.Feed(std::string_view(FBuffer.data(), static_cast<std::size_t>(received)));
        std::string_view frame;
        while (connection.Framer.Next(frame))
            TakeMessage(frame, connection.Address);
        if (received <= 0) {
            if (connection.Framer.Unfinished(frame))
                TakeMessage(frame, connection.Address);
            connection.Ended = true;
        }
        FPassCounts.CutFrames += connection.Framer.CutFrames() - connection.CutCounted;
        connection.CutCounted = connection.Framer.CutFrames();
        if (connection.Ended)
            return false;
    }
    return true;
}

// A message's lines, each with the text bare: its origin tells the rest.
void TWin32SyslogReceiver::TakeMessage(std::string_view bytes, const std::string& address) {
    const TSyslogMessage message = ParseSyslogMessage(bytes);
    const TLineOrigin origin = SyslogLineOrigin(message, address);
    const TLineTime now = TWin32Clock::LocalLineTime();
    FTexts.clear();
    AppendSyslogLines(std::string_view(), message.Text, FTexts);
    for (std::string& text : FTexts) {
        TReceivedLine line;
        FFromUtf8.Convert(text, line.Text);
        line.Utf8 = std::move(text);
        line.HasUtf8 = true;
        line.Received = now;
        line.Origin = origin;
        FReadingBytes += LineBytes(line);
        FReading.push_back(std::move(line));
    }
}

void TWin32SyslogReceiver::HandOver(bool stalled) {
    bool notify = false;
    {
        const TLock lock(FLock);
        if (FLines.empty())
            FLines.swap(FReading);
        else
            FLines.insert(FLines.end(), std::make_move_iterator(FReading.begin()),
                          std::make_move_iterator(FReading.end()));
        FBytes += FReadingBytes;
        Add(FCounts, FPassCounts);
        FStalled = stalled;
        notify = !FNotified && (!FLines.empty() || Any(FCounts));
        FNotified = FNotified || notify;
    }
    FReading.clear();
    FReadingBytes = 0;
    FPassCounts = TSyslogReceiverCounts();
    // A notice that cannot be posted is tried again after the next pass.
    if (notify && !(FWindow && ::PostMessageA(FWindow, ArrivedMessage, 0, 0))) {
        const TLock lock(FLock);
        FNotified = false;
    }
}
