#include "base/rate_units.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

struct ScaledFigure {
    double value;
    int step;  // 0 for the unit's first name, 1 and 2 for the next
};

// The rounding of "%.1f", so the figure moves up exactly when its text would read 1000.0.
double RoundedToTenth(double value) noexcept {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return std::strtod(text, nullptr);
}

ScaledFigure Scale(double value, int lastStep = 2) noexcept {
    ScaledFigure figure{value, 0};
    while (figure.step < lastStep && std::isfinite(figure.value) && RoundedToTenth(figure.value) >= 1000.0) {
        figure.value /= 1000.0;
        ++figure.step;
    }
    return figure;
}

constexpr const char* kNames[2][3] = {{"K", "M", "G"}, {"kb", "Mb", "Gb"}};
constexpr const wchar_t* kWideNames[2][3] = {{L"K", L"M", L"G"}, {L"kb", L"Mb", L"Gb"}};

template <typename Print>
void FormatWith(double rateK, int32_t unit, Print print) noexcept {
    if (!(rateK >= 0.0) || (unit != kRateUnitBytes && unit != kRateUnitBits)) {
        print(rateK, 0, 0);
        return;
    }
    const int bits = unit == kRateUnitBits ? 1 : 0;
    const ScaledFigure figure = Scale(bits ? rateK * 8.0 : rateK);
    print(figure.value, bits, figure.step);
}

}  // namespace

void FormatAmount(uint64_t bytes, char* text, size_t capacity) noexcept {
    constexpr const char* names[] = {"K", "M", "G", "T"};
    const ScaledFigure figure = Scale(static_cast<double>(bytes) / 1000.0, 3);
    if (std::snprintf(text, capacity, "%.1f%s", figure.value, names[figure.step]) < 0 && capacity > 0) {
        text[0] = '\0';
    }
}

void FormatRate(double rateK, int32_t unit, char* text, size_t capacity) noexcept {
    FormatWith(rateK, unit, [&](double value, int bits, int step) {
        if (std::snprintf(text, capacity, "%.1f%s", value, kNames[bits][step]) < 0 && capacity > 0) {
            text[0] = '\0';
        }
    });
}

void FormatRate(double rateK, int32_t unit, wchar_t* text, size_t capacity) noexcept {
    FormatWith(rateK, unit, [&](double value, int bits, int step) {
        if (std::swprintf(text, capacity, L"%.1f%ls", value, kWideNames[bits][step]) < 0 && capacity > 0) {
            text[0] = L'\0';
        }
    });
}

void FormatCaptionedRate(const char* caption, double rateK, int32_t unit, char* text, size_t capacity) noexcept {
    char rate[64];
    FormatRate(rateK, unit, rate, sizeof rate);
    if (std::snprintf(text, capacity, "%s%s", caption, rate) < 0 && capacity > 0) {
        text[0] = '\0';
    }
}

double LinkSpeedK(const DockletInstance& instance) noexcept {
    return static_cast<double>(instance.bandwidthSample.data) / 8.0 / 1000.0;
}

double ShownBandwidthK(const DockletInstance& instance) noexcept {
    return instance.rateUnit == kRateUnitK ? instance.bandwidth : LinkSpeedK(instance);
}

double FittedScaleK(double highestK, int32_t unit) noexcept {
    const double perK = unit == kRateUnitBits ? 8.0 : 1.0;
    const double highest = highestK * perK;
    constexpr double kSteps[] = {1.0, 2.0, 5.0};
    double decade = 1.0;
    // 1e300 stops an infinite or absurd figure at a finite scale.
    while (decade < 1e300) {
        for (double step : kSteps) {
            if (!(highest > step * decade)) {
                return step * decade / perK;
            }
        }
        decade *= 10.0;
    }
    return decade / perK;
}
