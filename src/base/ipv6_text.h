// IPv6 addresses as text: the forms people and web pages write (RFC 4291) read
// in, and the one canonical form (RFC 5952) written out.
#pragma once

#include <cstddef>
#include <cstdint>

// "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255" and its terminator: the
// longest address text, and the room every address field of the module has.
constexpr size_t kAddressTextCapacity = 46;

using Ipv6Bytes = uint8_t[16];

// Reads exactly `length` characters as one address: eight groups of one to
// four hex digits, at most one "::" standing for one or more zero groups, and
// the last 32 bits optionally as a dotted quad. No zone, no prefix length.
bool ParseIpv6(const char* text, size_t length, Ipv6Bytes& bytes) noexcept;

// The RFC 5952 form: lower case, no leading zeros, the longest run of two or
// more zero groups (the first of equal runs) as "::", every group in hex.
void FormatIpv6(const Ipv6Bytes& bytes, char (&text)[kAddressTextCapacity]) noexcept;
void FormatIpv6(const Ipv6Bytes& bytes, wchar_t (&text)[kAddressTextCapacity]) noexcept;

bool IsLinkLocalIpv6(const Ipv6Bytes& bytes) noexcept;  // fe80::/10

// What the outside world may have handed out as this machine's address: not
// unspecified, loopback, link-local, IPv4-mapped or multicast.
bool IsOutsideIpv6(const Ipv6Bytes& bytes) noexcept;
