#include "info/usage_window_text.h"

#include "base/rate_units.h"

#include <cmath>
#include <cwchar>

namespace {

void AmountText(uint64_t bytes, wchar_t* text, size_t capacity) noexcept {
    char amount[kAmountTextCapacity];
    FormatAmount(bytes, amount, sizeof amount);
    std::swprintf(text, capacity, L"%hs", amount);
}

uint64_t Projected(uint64_t bytes, double passed) noexcept {
    return static_cast<uint64_t>(std::llround(static_cast<double>(bytes) / passed));
}

}  // namespace

void FormatUsageRow(UsagePair pair, wchar_t (&texts)[3][kAmountTextCapacity]) noexcept {
    AmountText(pair.received, texts[0], kAmountTextCapacity);
    AmountText(pair.sent, texts[1], kAmountTextCapacity);
    AmountText(pair.received + pair.sent, texts[2], kAmountTextCapacity);
}

void FormatAllowanceShare(uint64_t counted, int32_t allowanceMb, wchar_t* text, size_t capacity) noexcept {
    const uint64_t allowance = static_cast<uint64_t>(allowanceMb > 0 ? allowanceMb : 0) * 1000000ull;
    wchar_t used[kAmountTextCapacity];
    wchar_t whole[kAmountTextCapacity];
    AmountText(counted, used, kAmountTextCapacity);
    AmountText(allowance, whole, kAmountTextCapacity);
    const double share = allowance > 0 ? static_cast<double>(counted) * 100.0 / static_cast<double>(allowance) : 0.0;
    std::swprintf(text, capacity, L"%ls of %ls (%.0f %%)", used, whole, share);
}

UsagePair ProjectMonth(UsagePair month, double monthPassed) noexcept {
    if (!(monthPassed > 0.0) || monthPassed >= 1.0) {
        return month;
    }
    return {Projected(month.received, monthPassed), Projected(month.sent, monthPassed)};
}

void FormatIsoDate(CivilDate date, wchar_t* text, size_t capacity) noexcept {
    std::swprintf(text, capacity, L"%04d-%02d-%02d", date.year, date.month, date.day);
}
