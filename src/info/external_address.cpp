#include "info/external_address.h"

#include "base/owners.h"
#include "base/text.h"
#include "info/address_scanner.h"
#include "info/ipv6_scanner.h"
#include "info/lookup_session.h"

#include <cwchar>
#include <string>

namespace {

constexpr size_t kUrlCapacity = 2048;
// A silent or trickling server, or a slow proxy discovery, must not keep the
// lookup's thread, its connection and the module alive for longer than this.
constexpr ULONGLONG kExchangeMilliseconds = 10000;
constexpr size_t kBodyLimitBytes = 64 * 1024;

struct UrlParts {
    std::wstring host;
    std::wstring pathAndQuery;
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const wchar_t* url, UrlParts& parts) {
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.dwSchemeLength = static_cast<DWORD>(-1);
    components.dwHostNameLength = static_cast<DWORD>(-1);
    components.dwUrlPathLength = static_cast<DWORD>(-1);
    components.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url, static_cast<DWORD>(wcsnlen(url, kUrlCapacity)), 0, &components)) {
        return false;
    }
    parts.host.assign(components.lpszHostName, components.dwHostNameLength);
    parts.pathAndQuery.assign(components.lpszUrlPath, components.dwUrlPathLength);
    // The extra information is the query and any fragment; a fragment stays with the client.
    const std::wstring extra(components.lpszExtraInfo, components.dwExtraInfoLength);
    parts.pathAndQuery += extra.substr(0, extra.find(L'#'));
    if (parts.pathAndQuery.empty() || parts.pathAndQuery[0] != L'/') {
        parts.pathAndQuery.insert(0, 1, L'/');
    }
    parts.port = components.nPort;
    parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

// The milliseconds left for the next blocking step; 0 once the time is up or
// the lookup's owner no longer wants the answer.
int TimeLeft(ULONGLONG deadline, const StopCheck& stop) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline || stop.requested(stop.context)) {
        return 0;
    }
    return static_cast<int>(deadline - now);
}

// What the session's requests inherit, proxy discovery included.
bool LimitSession(HINTERNET session, ULONGLONG deadline, const StopCheck& stop) {
    const int left = TimeLeft(deadline, stop);
    return left > 0 && WinHttpSetTimeouts(session, left, left, left, left);
}

bool LimitToDeadline(HINTERNET request, ULONGLONG deadline, const StopCheck& stop) {
    int left = TimeLeft(deadline, stop);
    if (left == 0) {
        return false;
    }
    // The wait for the response's headers has a time-out of its own.
    return WinHttpSetTimeouts(request, left, left, left, left) &&
           WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &left, sizeof left);
}

bool SendRequest(HINTERNET request, ULONGLONG deadline, const StopCheck& stop) {
    return LimitToDeadline(request, deadline, stop) &&
           WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
           LimitToDeadline(request, deadline, stop) && WinHttpReceiveResponse(request, nullptr);
}

// Reads until the body ends, an address is certain, the size limit or the
// deadline. False when reading failed or ran out of time part way.
template <typename Scan>
bool ScanBody(HINTERNET request, ULONGLONG deadline, const StopCheck& stop, Scan& scan) {
    char chunk[8192];
    size_t bodyBytes = 0;
    while (scan.address.empty() && bodyBytes < kBodyLimitBytes) {
        DWORD available = 0;
        if (!LimitToDeadline(request, deadline, stop) || !WinHttpQueryDataAvailable(request, &available)) {
            return false;
        }
        if (available == 0) {
            return true;
        }
        size_t wanted = available < sizeof chunk ? available : sizeof chunk;
        if (wanted > kBodyLimitBytes - bodyBytes) {
            wanted = kBodyLimitBytes - bodyBytes;
        }
        DWORD read = 0;
        if (!WinHttpReadData(request, chunk, static_cast<DWORD>(wanted), &read)) {
            return false;
        }
        if (read == 0) {
            return true;
        }
        ScanChunk(scan, chunk, read);
        bodyBytes += read;
    }
    return true;
}

void ShowAddress(const std::string& address, wchar_t (&result)[kAddressTextCapacity]) {
    if (address.empty() || !AnsiToWide(address.c_str(), result, sizeof result / sizeof result[0])) {
        CopyText(result, L"Not found");
    }
}

template <typename Scan>
bool Exchange(const UrlParts& parts, const StopCheck& stop, Scan& scan) {
    const ULONGLONG deadline = GetTickCount64() + kExchangeMilliseconds;
    bool readWhole = true;
    InternetOwner session(OpenLookupSession());
    // Proxy discovery and name resolution count against the same deadline.
    InternetOwner connection(session && LimitSession(session.get(), deadline, stop)
                                 ? WinHttpConnect(session.get(), parts.host.c_str(), parts.port, 0)
                                 : nullptr);
    const DWORD flags = WINHTTP_FLAG_BYPASS_PROXY_CACHE | (parts.secure ? WINHTTP_FLAG_SECURE : 0);
    InternetOwner request(connection ? WinHttpOpenRequest(connection.get(), L"GET", parts.pathAndQuery.c_str(),
                                                          nullptr, WINHTTP_NO_REFERER,
                                                          WINHTTP_DEFAULT_ACCEPT_TYPES, flags)
                                     : nullptr);
    if (request && SendRequest(request.get(), deadline, stop)) {
        readWhole = ScanBody(request.get(), deadline, stop, scan);
    }
    FinishScan(scan);
    return readWhole;
}

}  // namespace

bool IsLookupUrl(const wchar_t* url) {
    UrlParts parts;
    return url && CrackUrl(url, parts);
}

bool LookUpExternalAddress(const wchar_t* url, AddressFamily family, wchar_t (&result)[kAddressTextCapacity],
                           const StopCheck& stop) {
    UrlParts parts;
    if (!url || !CrackUrl(url, parts)) {
        return false;
    }
    bool readWhole = false;
    if (family == AddressFamily::Ipv6) {
        Ipv6Scan scan;
        readWhole = Exchange(parts, stop, scan);
        ShowAddress(scan.address, result);
    } else {
        AddressScan scan;
        readWhole = Exchange(parts, stop, scan);
        ShowAddress(scan.address, result);
    }
    return readWhole;
}
