#include "info/external_address.h"

#include "base/owners.h"
#include "base/text.h"
#include "info/address_scanner.h"

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kUserAgent[] = L"WinHTTP Pellorin Docklet/1.0";
constexpr size_t kUrlCapacity = 2048;
// The dialog waits for the lookup before it shows: a silent or trickling
// server must not hold the dock for longer than this.
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

// Gives the request's next blocking step only the time that is left.
bool LimitToDeadline(HINTERNET request, ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
        return false;
    }
    int left = static_cast<int>(deadline - now);
    // The wait for the response's headers has a time-out of its own.
    return WinHttpSetTimeouts(request, left, left, left, left) &&
           WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &left, sizeof left);
}

bool SendRequest(HINTERNET request, ULONGLONG deadline) {
    return LimitToDeadline(request, deadline) &&
           WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
           LimitToDeadline(request, deadline) && WinHttpReceiveResponse(request, nullptr);
}

// Reads until the body ends, an address is certain, the size limit or the
// deadline. False when reading failed or ran out of time part way.
bool ScanBody(HINTERNET request, ULONGLONG deadline, AddressScan& scan) {
    char chunk[8192];
    size_t bodyBytes = 0;
    while (scan.address.empty() && bodyBytes < kBodyLimitBytes) {
        DWORD available = 0;
        if (!LimitToDeadline(request, deadline) || !WinHttpQueryDataAvailable(request, &available)) {
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

void ShowAddress(const std::string& address, wchar_t (&result)[16]) {
    if (address.empty() || !AnsiToWide(address.c_str(), result, sizeof result / sizeof result[0])) {
        CopyText(result, L"Not found");
    }
}

}  // namespace

bool LookUpExternalAddress(const wchar_t* url, wchar_t (&result)[16]) {
    UrlParts parts;
    if (!url || !CrackUrl(url, parts)) {
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + kExchangeMilliseconds;
    AddressScan scan;
    bool readWhole = true;
    InternetOwner session(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    InternetOwner connection(session ? WinHttpConnect(session.get(), parts.host.c_str(), parts.port, 0) : nullptr);
    const DWORD flags = WINHTTP_FLAG_BYPASS_PROXY_CACHE | (parts.secure ? WINHTTP_FLAG_SECURE : 0);
    InternetOwner request(connection ? WinHttpOpenRequest(connection.get(), L"GET", parts.pathAndQuery.c_str(),
                                                          nullptr, WINHTTP_NO_REFERER,
                                                          WINHTTP_DEFAULT_ACCEPT_TYPES, flags)
                                     : nullptr);
    if (request && SendRequest(request.get(), deadline)) {
        readWhole = ScanBody(request.get(), deadline, scan);
    }
    FinishScan(scan);
    ShowAddress(scan.address, result);
    return readWhole;
}
