#include "channel/syslog/SyslogSettings.h"

#include <cstddef>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsLetterOrDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Letters, digits, '-', '_' and '.': a DNS name or an IPv4 address. What the
// name resolves to is for the resolver to say.
bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > 253 || host[0] == '-' || host[0] == '.')
        return false;
    for (char c : host)
        if (!IsLetterOrDigit(c) && c != '-' && c != '_' && c != '.')
            return false;
    return true;
}

// Hex digits, ':' and '.' (an embedded IPv4 address), at least two colons,
// then perhaps "%zone".
bool IsIpv6Address(std::string_view host) {
    const std::size_t percent = host.find('%');
    const std::string_view address = host.substr(0, percent);
    std::size_t colons = 0;
    for (char c : address) {
        if (c == ':')
            ++colons;
        else if (!IsHexDigit(c) && c != '.')
            return false;
    }
    if (colons < 2 || address.size() > 45)
        return false;
    if (percent == std::string_view::npos)
        return true;
    const std::string_view zone = host.substr(percent + 1);
    if (zone.empty() || zone.size() > 64)
        return false;
    for (char c : zone)
        if (!IsLetterOrDigit(c) && c != '-' && c != '_' && c != '.')
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::string HostInUrl(const std::string& host) {
    return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

} // namespace

bool ParseSyslogPort(std::string_view text, std::uint16_t& port, std::string& error) {
    unsigned value = 0;
    bool digits = !text.empty() && text.size() <= 5;
    for (char c : text) {
        digits = digits && IsDigit(c);
        value = digits ? value * 10 + static_cast<unsigned>(c - '0') : 0;
    }
    if (!digits || value < 1 || value > 65535) {
        error = Quoted(text) + " is not a port number from 1 to 65535";
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool ParseSyslogHost(std::string_view text, std::string& host, std::string& error) {
    std::string_view inside = text;
    const bool bracketed = text.size() >= 2 && text.front() == '[' && text.back() == ']';
    if (bracketed)
        inside = text.substr(1, text.size() - 2);
    if (text.empty()) {
        error = "No host is given";
        return false;
    }
    if (bracketed ? !IsIpv6Address(inside) : (!IsHostName(inside) && !IsIpv6Address(inside))) {
        error = Quoted(text) + " is not a host name or an IP address";
        return false;
    }
    host = inside;
    return true;
}

bool ParseSyslogReceivePort(std::string_view text, std::uint16_t& port, std::string& error) {
    if (text.empty()) {
        port = 0;
        return true;
    }
    return ParseSyslogPort(text, port, error);
}

std::string FormatSyslogReceivePort(std::uint16_t port) {
    return port == 0 ? std::string() : std::to_string(port);
}

bool ParseSyslogForward(std::string_view text, TSyslogForward& forward, std::string& error) {
    if (text.empty()) {
        forward = TSyslogForward();
        return true;
    }
    TSyslogForward parsed;
    if (StartsWithNoCase(text, "udp://"))
        parsed.Transport = TSyslogTransport::Udp;
    else if (StartsWithNoCase(text, "tcp://"))
        parsed.Transport = TSyslogTransport::Tcp;
    else {
        error = Quoted(text) + " is not udp://host:port or tcp://host:port";
        return false;
    }
    const std::string_view address = text.substr(6);
    // The port follows the last colon; an IPv6 address, full of colons, is
    // told from it by its brackets.
    const std::size_t colon = address.rfind(':');
    const std::size_t bracket = address.rfind(']');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket)) {
        error = Quoted(text) + " has no port: udp://host:port or tcp://host:port";
        return false;
    }
    const std::string_view host = address.substr(0, colon);
    if (host.empty()) {
        error = Quoted(text) + " has no host: udp://host:port or tcp://host:port";
        return false;
    }
    if (host.find(':') != std::string_view::npos && host.front() != '[') {
        error = Quoted(text) + " has an IPv6 address without brackets, as in udp://[::1]:514";
        return false;
    }
    if (!ParseSyslogHost(host, parsed.Host, error) ||
        !ParseSyslogPort(address.substr(colon + 1), parsed.Port, error))
        return false;
    forward = parsed;
    return true;
}

std::string FormatSyslogForward(const TSyslogForward& forward) {
    if (forward.Host.empty())
        return std::string();
    return (forward.Transport == TSyslogTransport::Tcp ? "tcp://" : "udp://") + SyslogDestination(forward);
}

std::string SyslogDestination(const TSyslogForward& forward) {
    return HostInUrl(forward.Host) + ":" + std::to_string(forward.Port);
}
