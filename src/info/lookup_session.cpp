#include "info/lookup_session.h"

namespace {

constexpr wchar_t kUserAgent[] = L"WinHTTP Pellorin Docklet/1.0";

// Windows 7 and 8.0 offer TLS 1.0 alone unless asked, and today's address
// services refuse it. TLS 1.3 is known to Windows 11; older systems refuse the
// whole set with it, and Windows 7 without its TLS 1.2 update refuses both,
// keeping its defaults.
constexpr DWORD kProtocolChoices[] = {
    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3,
    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2,
};

void EnableModernTls(HINTERNET session) noexcept {
    for (DWORD protocols : kProtocolChoices) {
        if (WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
            return;
        }
    }
}

// Before Windows 8.1 WinHTTP knows no automatic proxy; the manual proxy of the
// user's Internet settings is what a browser there would use.
InternetOwner OpenWithInternetSettingsProxy() noexcept {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    const bool haveConfig = WinHttpGetIEProxyConfigForCurrentUser(&config) != FALSE;
    const GlobalTextOwner autoConfigUrl(config.lpszAutoConfigUrl);
    const GlobalTextOwner proxy(config.lpszProxy);
    const GlobalTextOwner bypass(config.lpszProxyBypass);
    if (haveConfig && proxy && proxy.get()[0] != L'\0') {
        return InternetOwner(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.get(),
                                         bypass ? bypass.get() : WINHTTP_NO_PROXY_BYPASS, 0));
    }
    return InternetOwner(
        WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
}

}  // namespace

InternetOwner OpenLookupSession() noexcept {
    InternetOwner session(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        session = OpenWithInternetSettingsProxy();
    }
    if (session) {
        EnableModernTls(session.get());
    }
    return session;
}
