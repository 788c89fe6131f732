#include "usage/usage_export.h"

#include "base/owners.h"
#include "usage/usage_store.h"

#include <cinttypes>
#include <cstdio>
#include <cwchar>
#include <map>

namespace {

int64_t DateKey(CivilDate date) noexcept { return (date.year * 100 + date.month) * 100 + date.day; }

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size - 1));
    return utf8;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

DWORD WriteWhole(const wchar_t* path, const std::string& bytes) noexcept {
    const FileOwner file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return GetLastError();
    }
    DWORD done = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
        !FlushFileBuffers(file.get())) {
        return GetLastError();
    }
    return done == bytes.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace

std::vector<UsageDay> ReadUsageDays(const wchar_t* guid) {
    std::map<int64_t, UsageDay> days;
    ReadUsageBuckets(guid, [&](int64_t bucket, UsagePair bytes) {
        CivilDate date;
        if (!LocalDateAt(static_cast<uint64_t>(bucket) * kUsageBucketTicks, &date)) {
            return;
        }
        UsageDay& day = days.emplace(DateKey(date), UsageDay{date, UsagePair{0, 0}}).first->second;
        day.bytes.received += bytes.received;
        day.bytes.sent += bytes.sent;
    });
    std::vector<UsageDay> ordered;
    ordered.reserve(days.size());
    for (const auto& entry : days) {
        ordered.push_back(entry.second);
    }
    return ordered;
}

std::string UsageCsv(const std::vector<UsageDay>& days, const wchar_t* description) {
    const std::string adapter = Quoted(Utf8(description));
    std::string csv = "date,adapter,downloaded_bytes,uploaded_bytes\r\n";
    for (const UsageDay& day : days) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", day.date.year, day.date.month, day.date.day);
        char counts[48];
        std::snprintf(counts, sizeof counts, ",%" PRIu64 ",%" PRIu64 "\r\n", day.bytes.received, day.bytes.sent);
        csv += date;
        csv += ',';
        csv += adapter;
        csv += counts;
    }
    return csv;
}

void DefaultExportName(const wchar_t* description, wchar_t* name, size_t capacity) noexcept {
    if (capacity == 0) {
        return;
    }
    std::swprintf(name, capacity, L"usage-%ls.csv", description);
    const size_t prefix = 6;
    const size_t length = std::wcslen(name);
    for (size_t i = prefix; i + 4 < length; ++i) {
        if (name[i] < 32 || std::wcschr(L"<>:\"/\\|?*", name[i])) {
            name[i] = L'_';
        }
    }
}

DWORD WriteFileReplacing(const wchar_t* path, const std::string& bytes) noexcept {
    wchar_t temporary[MAX_PATH * 2];
    const int written = std::swprintf(temporary, MAX_PATH * 2, L"%ls.%lu.tmp", path, GetCurrentProcessId());
    if (written <= 0 || static_cast<size_t>(written) >= MAX_PATH * 2 || bytes.size() > MAXDWORD) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    DWORD error = WriteWhole(temporary, bytes);
    if (error == ERROR_SUCCESS && !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary);
    }
    return error;
}
