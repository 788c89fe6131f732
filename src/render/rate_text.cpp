#include "render/rate_text.h"

#include <cwchar>

void FormatRateText(double rate, wchar_t (&text)[kRateTextCapacity]) noexcept {
    if (std::swprintf(text, kRateTextCapacity, L"%.1fK", rate) < 0) {
        text[0] = L'\0';
    }
}
