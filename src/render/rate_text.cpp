#include "render/rate_text.h"

#include "base/rate_units.h"

void FormatRateText(double rate, int32_t unit, wchar_t (&text)[kRateTextCapacity]) noexcept {
    FormatRate(rate, unit, text, kRateTextCapacity);
}
