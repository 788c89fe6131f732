// A DHCP lease time as the user reads it.
#pragma once

#include <cstdint>
#include <string>

// The instant (seconds since 1970-01-01 UTC) in local time, formatted "%A, %c"
// in the user's default locale. False when it has no local-time form. The
// process's C locale is the same afterwards as before.
bool FormatLeaseTime(int64_t time, std::wstring& text);
