// The machine's IPv4 or IPv6 address as the outside world sees it, asked of a
// web page that the user names.
#pragma once

#include "base/ipv6_text.h"

#include <windows.h>

enum class AddressFamily { Ipv4, Ipv6 };

// Asked before each blocking step of the exchange: true ends it there, as if
// it had failed.
struct StopCheck {
    bool (*requested)(void* context) noexcept;
    void* context;
};

// True when url is an http or https address the lookup can ask.
bool IsLookupUrl(const wchar_t* url);

// Fetches url (http or https, any port, path and query as given) and puts the
// first address of the family in the response body, whatever its status, into
// result (a dotted quad; an outside IPv6 address in its RFC 5952 form);
// "Not found" when the exchange fails or the body holds none. The whole
// exchange is bounded in time and in body size. Returns false, with result
// untouched, when url cannot be parsed; false also when reading stopped part
// way, with result as far as the body read went. Blocks its thread for the
// whole exchange.
bool LookUpExternalAddress(const wchar_t* url, AddressFamily family, wchar_t (&result)[kAddressTextCapacity],
                           const StopCheck& stop);
