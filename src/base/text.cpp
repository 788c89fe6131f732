#include "base/text.h"

#include "base/owners.h"

#include <cstdlib>
#include <cwchar>

namespace {

template <typename Char>
void CopyBounded(Char* dst, size_t capacity, const Char* src) noexcept {
    if (!dst || capacity == 0) {
        return;
    }
    size_t n = 0;
    if (src) {
        while (n + 1 < capacity && src[n] != 0) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
}

// Whether the 8-bit text converts back to exactly the UTF-16 text it came from.
bool RoundTrips(const wchar_t* wide, const char* narrow) noexcept {
    const int length = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    if (length <= 0 || static_cast<size_t>(length) != std::wcslen(wide) + 1) {
        return false;
    }
    const MallocOwner<wchar_t> back(static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * length)));
    return back && MultiByteToWideChar(CP_ACP, 0, narrow, -1, back.get(), length) == length &&
           std::wmemcmp(back.get(), wide, length) == 0;
}

}  // namespace

void CopyText(wchar_t* dst, size_t capacity, const wchar_t* src) noexcept {
    CopyBounded(dst, capacity, src);
}

void CopyText(char* dst, size_t capacity, const char* src) noexcept {
    CopyBounded(dst, capacity, src);
}

bool AnsiToWide(const char* src, wchar_t* dst, size_t capacity) noexcept {
    if (!dst || capacity == 0) {
        return false;
    }
    dst[0] = L'\0';
    if (!src) {
        return false;
    }
    int written = MultiByteToWideChar(CP_ACP, 0, src, -1, dst, static_cast<int>(capacity));
    if (written <= 0) {
        dst[0] = L'\0';
        return false;
    }
    return true;
}

bool WideToAnsi(const wchar_t* src, char* dst, size_t capacity) noexcept {
    if (!dst || capacity == 0) {
        return false;
    }
    dst[0] = '\0';
    if (!src) {
        return false;
    }
    // Windows refuses lpUsedDefaultChar for UTF-8 (a system code page users can
    // choose) and some others, so loss is found by converting back instead: a
    // default or best-fit character does not come back as the original text.
    const int written = WideCharToMultiByte(CP_ACP, 0, src, -1, dst, static_cast<int>(capacity), nullptr, nullptr);
    if (written <= 0 || !RoundTrips(src, dst)) {
        dst[0] = '\0';
        return false;
    }
    return true;
}

void WideToAnsiCut(const wchar_t* src, char* dst, size_t capacity) noexcept {
    if (!dst || capacity == 0) {
        return;
    }
    dst[0] = '\0';
    if (!src) {
        return;
    }
    // Convert ever shorter prefixes until one fits; a surrogate pair is never split.
    size_t length = wcslen(src);
    while (length > 0) {
        int written = WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(length), dst,
                                          static_cast<int>(capacity - 1), nullptr, nullptr);
        if (written > 0) {
            dst[written] = '\0';
            return;
        }
        size_t excess = length > capacity ? length - (capacity - 1) : 1;
        length -= excess;
        if (length > 0 && src[length - 1] >= 0xD800 && src[length - 1] <= 0xDBFF) {
            --length;
        }
    }
}
