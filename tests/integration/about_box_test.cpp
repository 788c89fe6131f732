// The About box as a user meets it: its texts, logo and place on the screen,
// and the three ways to close it; and a thousand openings that leak nothing.
#include "dock_fixture.h"

#include "dialog_driver.h"
#include "soak_windows.h"

#include <commctrl.h>

#include <cstdio>

namespace vantrel_test {
namespace {

using namespace testdock;

const std::wstring kTitle = L"About Vantrel Docklet v0.1.0.5g";

using AboutBoxTest = DockTest;

TEST_F(AboutBoxTest, ShowsItsTextsAndLogoCentredAndClosesWithOkEscapeOrTheCloseBox) {
    Icon& icon = dock->CreateIcon();
    CreateDirectoryW(L"..\\build\\screenshots", nullptr);
    for (Closing how : {Closing::OkButton, Closing::EscapeKey, Closing::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(how));
        DialogDriver driver(DialogTitled(kTitle));
        // Should a way of closing fail, the box is ended with -1 when the wait runs out.
        driver.Do([how = how](HWND box) {
            EXPECT_EQ(ControlText(box, 1005), L"Simple docklet to monitor the transfer upload and download rates "
                                              L"of a network adapter.");
            EXPECT_EQ(ControlText(box, IDOK), L"OK");
            EXPECT_EQ(GetWindowLongW(GetDlgItem(box, 1007), GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW) << "no logo";
            // Only a version 6 button answers: the box has the module's own controls.
            SIZE ideal{};
            EXPECT_TRUE(SendDlgItemMessageW(box, IDOK, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
            // A box smaller than the screen stands at half the free room on each axis.
            RECT placed{};
            GetWindowRect(box, &placed);
            EXPECT_EQ(placed.left, (GetSystemMetrics(SM_CXSCREEN) - (placed.right - placed.left)) / 2);
            EXPECT_EQ(placed.top, (GetSystemMetrics(SM_CYSCREEN) - (placed.bottom - placed.top)) / 2);
            Sleep(300);  // let Wine bring what the box painted to the screen
            EXPECT_TRUE(CaptureWindowPng(box, L"..\\build\\screenshots\\about.png"));
            CloseDialog(box, how);
        }).WaitGone(5000);
        EXPECT_EQ(dock->About(icon), 0);
        EXPECT_TRUE(driver.Done()) << "no box titled as expected";
    }
}

// The test dock's driver ends a box it cannot answer rather than hang the test.
TEST_F(AboutBoxTest, DriverEndsTheBoxOnAWrongCaptionOrAWaitInVain) {
    Icon& icon = dock->CreateIcon();
    DialogDriver wrong(DialogTitled(L"About Something Else"), 300);
    EXPECT_EQ(dock->About(icon), -1);
    DialogDriver stuck(DialogTitled(kTitle));
    stuck.WaitUntil(TextIs(IDOK, L"OK")).WaitUntil(TextIsNot(IDOK, L"OK"), 300);
    EXPECT_EQ(dock->About(icon), -1);
    EXPECT_TRUE(stuck.Shown() == 1 && !stuck.Done());
}

using SoakAboutBox = DockTest;

TEST_F(SoakAboutBox, ThousandOpeningsLeakNoMemoryOrHandles) {
    constexpr int kWarmUp = 100;  // the dialog manager's and the fonts' one-time allocations
    constexpr int kWindow = 450;
    Icon& icon = dock->CreateIcon();
    DialogDriver driver(DialogTitled(kTitle));
    driver.Do([](HWND box) { CloseDialog(box, Closing::OkButton); }).EveryOpening();
    int closed = 0;
    const SoakWindows windows = RunSoakWindows("about soak, openings", kWarmUp, kWindow, [&](int) {
        closed += dock->About(icon) == 0;
        Hooks().ClearLog();  // the dock's own records are not the module's
    });
    std::printf("about soak: %d of %d openings closed with OK\n", closed, kWarmUp + 2 * kWindow);
    EXPECT_EQ(closed, kWarmUp + 2 * kWindow);
    // A leaked logo bitmap alone is 36 KiB an opening, 16 MiB a window.
    ExpectNoLeak(windows);
}

}  // namespace
}  // namespace vantrel_test
