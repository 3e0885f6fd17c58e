#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class TSyslogTransport { Udp, Tcp };

// Where every line is forwarded to; an empty Host means forwarding is off.
struct TSyslogForward {
    TSyslogTransport Transport = TSyslogTransport::Udp;
    // A name or an address; an IPv6 address without its brackets.
    std::string Host;
    std::uint16_t Port = 514;
};

// The setting values come from the registry and may hold anything: the
// parsers accept only what Format... writes (the scheme in either case), and
// otherwise set error to a sentence that names the value and what is wrong.

// A port box or the "SyslogReceivePort" value: 1 to 65535 in decimal.
bool ParseSyslogPort(std::string_view text, std::uint16_t& port, std::string& error);
// A host box: a name, an IPv4 address or an IPv6 address (with or without
// brackets, which are taken off).
bool ParseSyslogHost(std::string_view text, std::string& host, std::string& error);

// "SyslogReceivePort": "" when off (port 0).
bool ParseSyslogReceivePort(std::string_view text, std::uint16_t& port, std::string& error);
std::string FormatSyslogReceivePort(std::uint16_t port);

// "SyslogForward": "" when off, else "udp://host:port" or "tcp://host:port",
// an IPv6 address in brackets ("udp://[::1]:514").
bool ParseSyslogForward(std::string_view text, TSyslogForward& forward, std::string& error);
std::string FormatSyslogForward(const TSyslogForward& forward);

// "host:port", or "[::1]:514": how the viewer names the collector.
std::string SyslogDestination(const TSyslogForward& forward);
