#include "soak_windows.h"

#include "system_hooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace vantrel_test {
namespace {

constexpr double kMiB = 1048576.0;

SoakPoint Measure() {
    const testdock::ProcessUse use = testdock::MeasureProcess();
    const std::lock_guard<std::mutex> lock(testdock::HooksLock());
    return {use, testdock::Hooks().liveAllocations.size()};
}

double GrowthMiB(const SoakPoint& from, const SoakPoint& to) {
    return (static_cast<double>(to.use.privateBytes) - static_cast<double>(from.use.privateBytes)) / kMiB;
}

}  // namespace

double SoakWindows::FirstGrowthMiB() const { return GrowthMiB(start, middle); }
double SoakWindows::SecondGrowthMiB() const { return GrowthMiB(middle, end); }

SoakWindows RunSoakWindows(const char* what, int warmUp, int window, const std::function<void(int)>& round) {
    int next = 0;
    auto run = [&](int count) {
        for (int i = 0; i < count; ++i) {
            round(next++);
        }
    };
    run(warmUp);
    {
        const std::lock_guard<std::mutex> lock(testdock::HooksLock());
        testdock::Hooks().liveAllocations.clear();
        testdock::Hooks().trackAllocations = true;
    }
    SoakWindows windows{window, Measure(), {}, {}};
    run(window);
    windows.middle = Measure();
    run(window);
    windows.end = Measure();
    {
        const std::lock_guard<std::mutex> lock(testdock::HooksLock());
        testdock::Hooks().trackAllocations = false;
    }
    std::printf("%s: two windows of %d rounds after %d to warm up: private bytes %.2f -> %.2f -> %.2f MiB "
                "(+%.2f, +%.2f), module heap blocks kept %zu -> %zu, handles %lu -> %lu -> %lu\n",
                what, window, warmUp, windows.start.use.privateBytes / kMiB, windows.middle.use.privateBytes / kMiB,
                windows.end.use.privateBytes / kMiB, windows.FirstGrowthMiB(), windows.SecondGrowthMiB(),
                windows.middle.moduleBlocks, windows.end.moduleBlocks, windows.start.use.handles,
                windows.middle.use.handles, windows.end.use.handles);
    std::fflush(stdout);
    return windows;
}

void ExpectNoLeak(const SoakWindows& windows) {
    EXPECT_LE(windows.end.moduleBlocks, windows.middle.moduleBlocks)
        << "module heap blocks the second window made and kept: about "
        << (windows.end.moduleBlocks - windows.middle.moduleBlocks) / std::max(1, windows.rounds) << " a round";
    EXPECT_LT(std::min(windows.FirstGrowthMiB(), windows.SecondGrowthMiB()), kPrivateTrendBoundMiB)
        << "private bytes grew in both windows";
    ASSERT_GT(windows.start.use.handles, 0u) << "the handle table could not be read";
    EXPECT_LE(windows.end.use.handles, windows.start.use.handles + 4);
    EXPECT_LE(windows.end.use.gdiObjects + windows.end.use.userObjects,
              windows.start.use.gdiObjects + windows.start.use.userObjects + 4);
}

}  // namespace vantrel_test
