#include "info/lease_time_text.h"

#include <windows.h>

namespace {

// Seconds between 1601-01-01 (FILETIME's origin) and 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600LL;
constexpr int64_t kFileTimeUnitsPerSecond = 10000000LL;

bool ToLocalTime(int64_t time, SYSTEMTIME& local) noexcept {
    if (time < 0 || time > (INT64_MAX / kFileTimeUnitsPerSecond) - kUnixEpochSeconds) {
        return false;
    }
    const uint64_t units = static_cast<uint64_t>(time + kUnixEpochSeconds) * kFileTimeUnitsPerSecond;
    FILETIME utcFile{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
    SYSTEMTIME utc{};
    return FileTimeToSystemTime(&utcFile, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
}

// Appends one formatted piece; the functions report the room they need
// (terminator included) when asked with none.
template <typename Format>
bool AppendFormatted(std::wstring& text, Format format) {
    const int needed = format(nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    std::wstring piece(static_cast<size_t>(needed), L'\0');
    const int written = format(&piece[0], needed);
    if (written <= 0) {
        return false;
    }
    piece.resize(static_cast<size_t>(written - 1));
    text += piece;
    return true;
}

}  // namespace

bool FormatLeaseTime(int64_t time, std::wstring& text) {
    SYSTEMTIME local{};
    if (!ToLocalTime(time, local)) {
        return false;
    }
    std::wstring formatted;
    if (!AppendFormatted(formatted, [&](wchar_t* out, int room) {
            return GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, L"dddd", out, room, nullptr);
        })) {
        return false;
    }
    formatted += L", ";
    if (!AppendFormatted(formatted, [&](wchar_t* out, int room) {
            return GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, out, room, nullptr);
        })) {
        return false;
    }
    formatted += L' ';
    if (!AppendFormatted(formatted, [&](wchar_t* out, int room) {
            return GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, out, room);
        })) {
        return false;
    }
    text = std::move(formatted);
    return true;
}
