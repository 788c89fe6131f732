// The machine's IPv4 address as the outside world sees it, asked of a web page
// that the user names.
#pragma once

#include <windows.h>

// Asked before each blocking step of the exchange: true ends it there, as if
// it had failed.
struct StopCheck {
    bool (*requested)(void* context) noexcept;
    void* context;
};

// True when url is an http or https address the lookup can ask.
bool IsLookupUrl(const wchar_t* url);

// Fetches url (http or https, any port, path and query as given) and puts the
// first dotted quad of the response body, whatever its status, into result;
// "Not found" when the exchange fails or the body holds none. The whole
// exchange is bounded in time and in body size. Returns false, with result
// untouched, when url cannot be parsed; false also when reading stopped part
// way, with result as far as the body read went. Blocks its thread for the
// whole exchange.
bool LookUpExternalAddress(const wchar_t* url, wchar_t (&result)[16], const StopCheck& stop);
