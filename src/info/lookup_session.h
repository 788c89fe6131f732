// The WinHTTP session of the external address lookup: modern TLS and the proxy
// the user set in Windows, on every version from Windows 7 on.
#pragma once

#include "base/owners.h"

// A synchronous session. Where the system refuses the newer protocol flags or
// automatic proxy discovery (Windows 7 and 8.0), it falls back: the protocols
// the system accepts, and the proxy of the user's Internet settings. Empty
// only when WinHTTP opens no session at all.
InternetOwner OpenLookupSession() noexcept;
