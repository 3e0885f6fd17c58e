#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "platform/Win32Handles.h"

struct TSocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET socket) { ::closesocket(socket); }
};
using TSocket = TOwned<SOCKET, TSocketTraits>;

// Winsock for as long as an owner needs it: each owner starts it once.
class TWinsock {
  public:
    TWinsock();
    ~TWinsock();
    TWinsock(const TWinsock&) = delete;
    TWinsock& operator=(const TWinsock&) = delete;

    // Zero when Winsock could be started, else its error code.
    int Error() const { return FError; }

  private:
    int FError = 0;
};

// The system's text for a Winsock or Win32 error code, without its line end.
std::string SocketErrorText(int code);

// The numeric address of a peer: "192.0.2.1", "2001:db8::1"; an IPv4
// address that a dual-stack socket saw as "::ffff:192.0.2.1" as IPv4.
std::string PeerAddressText(const sockaddr* address, int length);

// Makes a socket that does not block; false when that fails.
bool MakeNonBlocking(SOCKET socket);
