#include "platform/Win32Sockets.h"

#include <cstring>

TWinsock::TWinsock() {
    WSADATA data{};
    FError = ::WSAStartup(MAKEWORD(2, 2), &data);
}

TWinsock::~TWinsock() {
    if (FError == 0)
        ::WSACleanup();
}

std::string SocketErrorText(int code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text ? std::string(text, length) : std::string();
    if (text)
        ::LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result.empty() ? "error " + std::to_string(code) : result;
}

std::string PeerAddressText(const sockaddr* address, int length) {
    if (address->sa_family == AF_INET6 && length >= static_cast<int>(sizeof(sockaddr_in6))) {
        const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
            sockaddr_in v4{};
            v4.sin_family = AF_INET;
            std::memcpy(&v4.sin_addr, v6->sin6_addr.s6_addr + 12, 4);
            return PeerAddressText(reinterpret_cast<const sockaddr*>(&v4), sizeof v4);
        }
    }
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return std::string();
    return host;
}

bool MakeNonBlocking(SOCKET socket) {
    u_long nonBlocking = 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}
