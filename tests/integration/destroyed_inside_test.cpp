// A dock destroys an icon whenever it likes, also from inside the menu, sheet
// or dialogs the icon has open: each closes by itself, the icon gets nothing
// more from the dock's point of view, and its freed record is never touched.
#include "sheet_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"
#include "local_web_server.h"

#include <optional>

namespace vantrel_test {
namespace {

constexpr UINT kShowIpAddressEntry = 9;
constexpr UINT kRemoveEntry = 14;
constexpr int kFontColorButton = 1052;
constexpr int kHideLabelBox = 1023;
constexpr DWORD kClosingMs = 2000;

class DestroyedInsideTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        Hooks().keepFreedBlocks = true;
    }

    void TearDown() override {
        EXPECT_TRUE(Hooks().FreedBlocksUntouched()) << "freed memory was written to";
        Hooks().ReleaseFreedBlocks();
        SheetTest::TearDown();
    }

    // Destroys the icon from inside a module's modal loop and notes when.
    void DestroyNow(Icon& icon) {
        destroyedAt = GetTickCount();
        dock->Destroy(icon);
    }

    // The module's call returned soon after the destruction, with nothing
    // reaching the dock or the window for the icon afterwards.
    void ExpectDoneWith(const Icon& icon) {
        ASSERT_TRUE(icon.destroyed) << "the icon was not destroyed inside the loop";
        EXPECT_LT(GetTickCount() - destroyedAt, kClosingMs) << "the window stayed open";
        EXPECT_EQ(icon.afterDestroy, std::vector<std::string>{});
    }

    // The window a second request brought to the front.
    static HWND Raised() {
        const std::vector<testdock::WindowCall>& calls = Hooks().windowCalls;
        return !calls.empty() && calls.back().function == "SetForegroundWindow" ? calls.back().hwnd : nullptr;
    }

    DWORD destroyedAt = 0;
};

TEST_F(DestroyedInsideTest, MenuClosesAndItsChoiceIsDropped) {
    Icon& icon = CreateConfiguredIcon();
    // A menu that was left alone: brought forward before, a message to its owner after.
    Hooks().trackPopupMenu = [](const testdock::MenuCall& call) {
        EXPECT_TRUE(call.ownerBroughtForward);
        return 0;
    };
    dock->RightClick(icon);
    ASSERT_FALSE(Hooks().windowCalls.empty());
    EXPECT_EQ(Hooks().windowCalls.back().function, "PostMessageW");
    EXPECT_EQ(Hooks().windowCalls.back().message, static_cast<UINT>(WM_NULL));

    Hooks().trackPopupMenu = [&](const testdock::MenuCall&) {
        DestroyNow(icon);
        return kShowIpAddressEntry;
    };
    EXPECT_TRUE(dock->RightClick(icon));
    ExpectDoneWith(icon);

    Icon& shown = CreateConfiguredIcon();
    Hooks().trackPopupMenu = nullptr;
    Hooks().realMenus = true;
    testdock::DialogDriver menu(testdock::PopupMenu());
    menu.Do([&](HWND) { DestroyNow(shown); }).WaitGone(kClosingMs);
    EXPECT_TRUE(dock->RightClick(shown));
    EXPECT_TRUE(menu.Done());
    ExpectDoneWith(shown);
}

TEST_F(DestroyedInsideTest, RemoveEntrySurvivesADockThatDestroysInsideTheRequest) {
    Icon& icon = CreateConfiguredIcon();
    dock->destroyOnRemoveSelf = true;
    Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return kRemoveEntry; };
    destroyedAt = GetTickCount();
    EXPECT_TRUE(dock->RightClick(icon));
    EXPECT_EQ(icon.Count(EventKind::RemoveSelf), 1);
    ExpectDoneWith(icon);
}

TEST_F(DestroyedInsideTest, SheetOnEveryPageEndsAsCancelled) {
    for (int page : {kGeneral, kIcon, kFont, kGraph, kUsage}) {
        SCOPED_TRACE(page);
        Icon& icon = CreateConfiguredIcon();
        const size_t sheetsOpened = Hooks().dialogCalls.size();
        Configure(icon, [&](HWND sheet) {
            // Leaving the first page stores its controls; the sheet must still commit nothing.
            const HWND shown = testdock::ShowSheetPage(sheet, page);
            testdock::SetCheckBox(testdock::ShowSheetPage(sheet, kGeneral), kHideLabelBox, true);
            testdock::ShowSheetPage(sheet, page);
            EXPECT_TRUE(shown);
            // A second request while the sheet is up raises it and opens no other.
            EXPECT_EQ(dock->Configure(icon), 0);
            EXPECT_EQ(Hooks().dialogCalls.size(), sheetsOpened + 1);
            EXPECT_EQ(Raised(), sheet);
            DestroyNow(icon);
        });
        ExpectDoneWith(icon);
    }
}

TEST_F(DestroyedInsideTest, ColourDialogClosesBeforeItsSheet) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().realColorDialog = true;
    std::optional<testdock::DialogDriver> colours;
    Configure(icon, [&](HWND sheet) {
        const HWND page = testdock::ShowSheetPage(sheet, kFont);
        colours.emplace(testdock::ColourDialogOf(icon.hwnd));
        colours->Do([&](HWND) { DestroyNow(icon); }).WaitGone(kClosingMs);
        testdock::ClickButton(page, kFontColorButton);
    });
    ASSERT_TRUE(colours && colours->Done()) << "no colour dialog came up, or it stayed";
    ExpectDoneWith(icon);
}

TEST_F(DestroyedInsideTest, DialogsCloseAndASecondRequestRaisesTheOpenOne) {
    testdock::LocalWebServer silent(testdock::WebReply{{}, 0, true});
    const std::string url = "IPAddressUrl=http://127.0.0.1:" + std::to_string(silent.Port()) + "/\n";
    struct Opening {
        const wchar_t* title;
        INT_PTR (TestDock::*open)(Icon&);
    };
    for (const Opening& opening : {Opening{L"Vantrel Docklet - Network Information", &TestDock::Info},
                                   Opening{L"About Vantrel Docklet v0.1.0.5g", &TestDock::About}}) {
        SCOPED_TRACE(testing::Message() << opening.title);
        Icon& icon = CreateConfiguredIcon(url);
        const size_t opened = Hooks().dialogCalls.size();
        testdock::DialogDriver driver(testdock::DialogTitled(opening.title));
        driver
            .Do([&](HWND dialog) {
                EXPECT_EQ(((*dock).*opening.open)(icon), 0);
                EXPECT_EQ(Hooks().dialogCalls.size(), opened + 1) << "a second dialog was opened";
                EXPECT_EQ(Raised(), dialog);
                DestroyNow(icon);
            })
            .WaitGone(kClosingMs);
        const INT_PTR result = ((*dock).*opening.open)(icon);
#if defined(__i386__)
        EXPECT_EQ(result, 0);
#else
        // This call freed the last icon's record and gave the module back on
        // its way out: the x86_64 build answers with FreeLibrary's result
        // (base/tail_release.inc).
        EXPECT_NE(result, 0);
#endif
        EXPECT_TRUE(driver.Done());
        ExpectDoneWith(icon);
    }
}

TEST_F(DestroyedInsideTest, UsageWindowClosesAndASecondChoiceRaisesIt) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return 16u; };
    const size_t opened = Hooks().dialogCalls.size();
    testdock::DialogDriver driver(testdock::DialogTitled(L"Vantrel Docklet - Data Usage"));
    driver
        .Do([&](HWND window) {
            EXPECT_TRUE(dock->RightClick(icon));
            EXPECT_EQ(Hooks().dialogCalls.size(), opened + 1) << "a second window was opened";
            EXPECT_EQ(Raised(), window);
            DestroyNow(icon);
        })
        .WaitGone(kClosingMs);
    EXPECT_TRUE(dock->RightClick(icon));
    Hooks().trackPopupMenu = nullptr;
    EXPECT_TRUE(driver.Done());
    ExpectDoneWith(icon);
}

}  // namespace
}  // namespace vantrel_test
