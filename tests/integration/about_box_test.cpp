// The About box as a user meets it: its texts, logo and place on the screen,
// and the three ways to close it; and a thousand openings that leak nothing.
#include "dock_fixture.h"

#include "dialog_driver.h"
#include "process_use.h"

#include <cstdio>
#include <optional>

namespace vantrel_test {
namespace {

using testdock::MeasureProcess;
using testdock::ProcessUse;
using testdock::WindowDriver;

const std::wstring kTitle = L"About Vantrel Docklet v0.1.0.5g";

enum class Closing { OkButton, Escape, CloseBox };

void Close(HWND box, Closing closing) {
    switch (closing) {
        case Closing::OkButton: testdock::ClickControl(box, IDOK); break;
        case Closing::Escape: testdock::PressKey(GetFocus() ? GetFocus() : box, VK_ESCAPE); break;
        case Closing::CloseBox: testdock::PressCloseBox(box); break;
    }
}

using AboutBoxTest = DockTest;

TEST_F(AboutBoxTest, ShowsItsTextsAndLogoCentredAndClosesWithOkEscapeOrTheCloseBox) {
    Icon& icon = dock->CreateIcon();
    CreateDirectoryW(L"..\\build\\screenshots", nullptr);
    for (Closing closing : {Closing::OkButton, Closing::Escape, Closing::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(closing));
        std::wstring text, button;
        HANDLE logo = nullptr;
        RECT placed{};
        bool captured = false;
        // Should a way of closing fail, the box is ended with -2 at the next tick.
        std::optional<WindowDriver> stillOpen;
        WindowDriver driver(testdock::kDialogClass, kTitle, [&](HWND box) {
            text = testdock::ControlText(box, 1005);
            button = testdock::ControlText(box, IDOK);
            logo = reinterpret_cast<HANDLE>(SendDlgItemMessageW(box, 1007, STM_GETIMAGE, IMAGE_BITMAP, 0));
            GetWindowRect(box, &placed);
            if (closing == Closing::OkButton) {
                captured = testdock::CaptureWindowPng(box, L"..\\build\\screenshots\\about.png");
            }
            Close(box, closing);
            stillOpen.emplace(testdock::kDialogClass, kTitle, [](HWND open) { EndDialog(open, -2); });
        });
        EXPECT_EQ(dock->About(icon), 0);
        ASSERT_TRUE(driver.Ran()) << "no box titled as expected";
        EXPECT_EQ(text, L"Simple docklet to monitor the transfer upload and download rates of a network adapter.");
        EXPECT_EQ(button, L"OK");
        EXPECT_NE(logo, nullptr);
        // A box smaller than the screen stands at half the free room on each axis.
        EXPECT_EQ(placed.left, (GetSystemMetrics(SM_CXSCREEN) - (placed.right - placed.left)) / 2);
        EXPECT_EQ(placed.top, (GetSystemMetrics(SM_CYSCREEN) - (placed.bottom - placed.top)) / 2);
        EXPECT_EQ(captured, closing == Closing::OkButton);
        ASSERT_EQ(Hooks().dialogCalls.size(), 1u);
        EXPECT_EQ(Hooks().dialogCalls[0].templateId, 102u);
        EXPECT_EQ(Hooks().dialogCalls[0].owner, icon.hwnd);
        Hooks().ClearLog();
    }
}

using SoakAboutBox = DockTest;

TEST_F(SoakAboutBox, ThousandOpeningsLeakNoMemoryOrHandles) {
    constexpr int kOpenings = 1000;
    constexpr int kWarmUp = 100;
    Icon& icon = dock->CreateIcon();
    int closed = 0;
    auto open = [&](int count) {
        for (int i = 0; i < count; ++i) {
            WindowDriver driver(testdock::kDialogClass, kTitle, [](HWND box) { testdock::ClickControl(box, IDOK); });
            closed += dock->About(icon) == 0 && driver.Ran();
            Hooks().ClearLog();
        }
    };
    // The first openings make the one-time allocations of the dialog manager and fonts.
    open(kWarmUp);
    const ProcessUse before = MeasureProcess();
    open(kOpenings - kWarmUp);
    const ProcessUse after = MeasureProcess();

    std::printf("about soak: %d of %d openings closed with OK\n", closed, kOpenings);
    std::printf("about soak: from opening %d to %d: private bytes %.1f KiB -> %.1f KiB, handles %lu -> %lu, "
                "GDI objects %lu -> %lu, USER objects %lu -> %lu (Wine reports 0 for GDI and USER)\n",
                kWarmUp, kOpenings, before.privateBytes / 1024.0, after.privateBytes / 1024.0, before.handles,
                after.handles, before.gdiObjects, after.gdiObjects, before.userObjects, after.userObjects);
    EXPECT_EQ(closed, kOpenings);
    ASSERT_GT(before.handles, 0u) << "the handle table could not be read";
    EXPECT_LE(after.handles, before.handles + 4);
    // A leaked logo bitmap alone would be 27 KiB per opening, 24 MiB in all.
    EXPECT_LT(after.privateBytes, before.privateBytes + 512 * 1024);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 4);
    EXPECT_LE(after.userObjects, before.userObjects + 4);
}

}  // namespace
}  // namespace vantrel_test
