// Open-OK cycles of the settings sheet with every page shown (VANTREL_SOAK_CYCLES,
// five hundred by default):
// private bytes and the process's handles must come back to where they were.
#include "process_use.h"
#include "sheet_fixture.h"

#include <cstdio>
#include <vector>

namespace vantrel_test {
namespace {

using testdock::MeasureProcess;
using testdock::ProcessUse;

using SoakSheetTest = SheetTest;

TEST_F(SoakSheetTest, OpenOkCyclesLeakNothing) {
    constexpr int kWarmUp = 20;
    const int kCycles = testdock::SoakCount("VANTREL_SOAK_CYCLES", 500);
    Icon& icon = CreateConfiguredIcon("DockletData=27\r\n");
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            Configure(icon, [&](HWND sheet) {
                for (int index = kIcon; index <= kGraph; ++index) {
                    testdock::ShowSheetPage(sheet, index);
                }
                testdock::PressOk(sheet);
            });
            // The dock's own records grow with every call.
            std::vector<testdock::Event>().swap(icon.events);
            std::vector<testdock::Event>().swap(dock->looseEvents);
            Hooks().ClearLog();
        }
    };
    cycles(kWarmUp);
    const ProcessUse before = MeasureProcess();
    cycles(kCycles);
    const ProcessUse after = MeasureProcess();
    std::printf("sheet soak: %d open-OK cycles, every page shown: private bytes %.2f MiB -> %.2f MiB, "
                "process handles %lu -> %lu\n",
                kCycles, before.privateBytes / 1048576.0, after.privateBytes / 1048576.0, before.handles,
                after.handles);
    // A leaked preview bitmap is 256 KiB a cycle.
    EXPECT_LT(after.privateBytes, before.privateBytes + 1048576);
    EXPECT_GT(before.handles, 0u) << "no handle count to compare";
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_EQ(Hooks().liveBitmaps.size(), 0u) << "previews and samples the module left alive";
}

}  // namespace
}  // namespace vantrel_test
