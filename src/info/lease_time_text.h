// A DHCP lease time as the user reads it.
#pragma once

#include <cstdint>
#include <string>

// The instant (seconds since 1970-01-01 UTC) in local time: the weekday
// spelled out, a comma, then the date and the time, all in the user's locale.
// False when it has no local-time form (before 1970, or past what the system
// converts). Reads the user's locale without touching any process-wide
// setting, so icons on other threads and the dock's own formatting are unaffected.
bool FormatLeaseTime(int64_t time, std::wstring& text);
