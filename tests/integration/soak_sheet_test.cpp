// Open-OK cycles of the settings sheet with every page shown (VANTREL_SOAK_CYCLES
// after the warm-up, five hundred by default, in two equal windows): the
// module's heap blocks, the process's handles and its live bitmaps must come
// back to where they were, and private bytes must not grow as a leak grows.
#include "sheet_fixture.h"
#include "soak_windows.h"

#include <vector>

namespace vantrel_test {
namespace {

using SoakSheetTest = SheetTest;

TEST_F(SoakSheetTest, OpenOkCyclesLeakNothing) {
    constexpr int kWarmUp = 20;
    const int window = testdock::SoakCount("VANTREL_SOAK_CYCLES", 500) / 2;
    Icon& icon = CreateConfiguredIcon("DockletData=27\r\n");
    const SoakWindows windows = RunSoakWindows("sheet soak, open-OK cycles with every page shown", kWarmUp, window,
                                               [&](int) {
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
    });
    ExpectNoLeak(windows);
    // A leaked preview is a GDI bitmap, 256 KiB of Wine's memory a cycle.
    EXPECT_EQ(Hooks().liveBitmaps.size(), 0u) << "previews and samples the module left alive";
}

}  // namespace
}  // namespace vantrel_test
