#include "measure/perf_data_reader.h"

#include "base/owners.h"

#include <cstdlib>
#include <cwchar>
namespace {

LONG QueryRegistry(void*, const wchar_t* valueName, uint8_t* buffer, DWORD* byteCount) noexcept {
    return RegQueryValueExW(HKEY_PERFORMANCE_DATA, valueName, nullptr, nullptr, buffer, byteCount);
}

}  // namespace

uint8_t* FetchPerformanceData(const wchar_t* valueName, size_t initialSize, size_t* size,
                              PerformanceDataQuery query, void* context) noexcept {
    if (size) {
        *size = 0;
    }
    if (initialSize > kMaxPerformanceDataSize) {
        return nullptr;
    }
    MallocOwner<uint8_t> buffer(static_cast<uint8_t*>(std::malloc(initialSize)));
    if (!buffer) {
        return nullptr;
    }
    size_t allocated = initialSize;
    for (;;) {
        DWORD byteCount = static_cast<DWORD>(allocated);
        const LONG status = query(context, valueName, buffer.get(), &byteCount);
        if (status == ERROR_SUCCESS) {
            if (size) {
                *size = byteCount < allocated ? byteCount : allocated;
            }
            return buffer.release();
        }
        // A registry that keeps answering "more data" would otherwise grow the
        // buffer without end.
        if (status != ERROR_MORE_DATA || allocated > kMaxPerformanceDataSize - kPerformanceDataGrowth) {
            wprintf(L"Registry query failed for %ls.\n", valueName ? valueName : L"(null)");
            return nullptr;
        }
        allocated += kPerformanceDataGrowth;
        auto* grown = static_cast<uint8_t*>(std::realloc(buffer.get(), allocated));
        if (!grown) {
            wprintf(L"Reallocation error.\n");
            return nullptr;
        }
        // realloc has released the old buffer already.
        buffer.release();
        buffer.reset(grown);
    }
}

uint8_t* QueryPerformanceData(const wchar_t* valueName, size_t initialSize, size_t* size) noexcept {
    return FetchPerformanceData(valueName, initialSize, size, QueryRegistry, nullptr);
}

void ClosePerformanceData() noexcept {
    RegCloseKey(HKEY_PERFORMANCE_DATA);
}
