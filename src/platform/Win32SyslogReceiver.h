#pragma once

#include "platform/Win32Sockets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32CodePage.h"
#include "platform/Win32Lock.h"
#include "shell/network/SyslogPorts.h"

// Receives syslog on one port of every interface: datagrams over UDP, and up
// to 64 TCP connections at once, each framed on its own. A thread of its own
// reads the sockets, takes the messages apart, and hands the lines over to
// the window's thread, posting the window one message when the hand-over
// fills from empty. The hand-over is bounded: when the window falls behind,
// TCP connections wait (their senders with them) and datagrams are dropped
// and counted.
class TWin32SyslogReceiver : public ISyslogReceiver {
  public:
    // What the window receives when lines wait.
    static constexpr UINT ArrivedMessage = WM_APP + 26;
    static constexpr std::size_t MostConnections = 64;

    TWin32SyslogReceiver();
    ~TWin32SyslogReceiver() override;
    TWin32SyslogReceiver(const TWin32SyslogReceiver&) = delete;
    TWin32SyslogReceiver& operator=(const TWin32SyslogReceiver&) = delete;

    void SetWindow(HWND window) { FWindow = window; }

    bool Listen(std::uint16_t port, std::string& error) override;
    void StopListening() override;
    TSyslogReceiverCounts Collect(std::vector<TReceivedLine>& lines) override;

  private:
    struct TConnection;
    struct TListeners {
        TSocket Tcp;
        TSocket Udp;
    };

    static unsigned __stdcall ThreadMain(void* self);
    void Run();
    bool Receive();
    bool AcceptConnections();
    bool ReadDatagrams();
    bool ReadConnection(TConnection& connection);
    void TakeMessage(std::string_view bytes, const std::string& address);
    void HandOver(bool stalled);
    bool HasRoom() const;

    TWinsock FWinsock;
    HWND FWindow = nullptr;
    TListeners FListeners;
    std::vector<std::unique_ptr<TConnection>> FConnections;
    TKernelHandle FNetwork;
    TKernelHandle FStop;
    TKernelHandle FThread;
    // The reader's own: what it has read and not yet handed over.
    std::vector<TReceivedLine> FReading;
    std::size_t FReadingBytes = 0;
    // The hand-over's size when the pass began.
    std::size_t FHandedBytes = 0;
    TSyslogReceiverCounts FPassCounts;
    std::vector<char> FBuffer;
    std::vector<std::string> FTexts;
    TWin32FromUtf8 FFromUtf8;
    // The last datagram's sender and its address as text: a flood comes from
    // one sender, and each lookup costs a call into the system.
    sockaddr_storage FLastPeer{};
    int FLastPeerLength = 0;
    std::string FLastPeerText;

    // The window's own: what it took from the hand-over and has not yet
    // been given, from FTaken on.
    std::vector<TReceivedLine> FPending;
    std::size_t FTaken = 0;

    // The hand-over, shared by both threads.
    TCriticalSection FLock;
    std::vector<TReceivedLine> FLines;
    std::size_t FBytes = 0;
    TSyslogReceiverCounts FCounts;
    // The window has been told, and has not collected yet.
    bool FNotified = false;
    // The reader left connections unread for want of room.
    bool FStalled = false;
};
