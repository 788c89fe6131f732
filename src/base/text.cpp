#include "base/text.h"

#include <cwchar>
#include <cstring>

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
    BOOL lossy = FALSE;
    int written = WideCharToMultiByte(CP_ACP, 0, src, -1, dst, static_cast<int>(capacity), nullptr, &lossy);
    if (written <= 0 || lossy) {
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
