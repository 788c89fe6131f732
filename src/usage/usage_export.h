// The usage totals taken elsewhere: one CSV row per local day with traffic,
// oldest first, written so that a failed export leaves no half file.
#pragma once

#include "usage/counter_growth.h"
#include "usage/usage_period.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

struct UsageDay {
    CivilDate date;
    UsagePair bytes;
};

// The adapter's days with traffic, oldest first. May throw (allocation).
std::vector<UsageDay> ReadUsageDays(const wchar_t* guid);

// "date,adapter,downloaded_bytes,uploaded_bytes" and a row per day, CRLF line
// ends, the description quoted with its quotes doubled; UTF-8 without a byte
// order mark. May throw (allocation).
std::string UsageCsv(const std::vector<UsageDay>& days, const wchar_t* description);

// "usage-<description>.csv" with what a file name cannot hold made "_".
void DefaultExportName(const wchar_t* description, wchar_t* name, size_t capacity) noexcept;

// Writes `bytes` to a file beside `path` and moves it over `path`: ERROR_SUCCESS,
// or the system's error, with nothing left behind.
DWORD WriteFileReplacing(const wchar_t* path, const std::string& bytes) noexcept;
