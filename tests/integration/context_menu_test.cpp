// The right-click menu through the dock: what it shows, and what each choice
// does to the settings, the refreshes and the fast timer.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"

namespace vantrel_test {
namespace {

using testdock::MenuCall;

class ContextMenuTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        ServeCounters(0, 0, 0);
        ServeCounters(1, 1000, 1000);
        Hooks().cursor = POINT{321, 123};
    }

    static DockletInstance& Record(Icon& icon) { return *static_cast<DockletInstance*>(icon.instance); }

    // Right-clicks and chooses id (0: dismisses); returns the ids shown checked.
    std::vector<UINT> Choose(Icon& icon, UINT id) {
        Hooks().ClearLog();
        icon.events.clear();
        std::vector<UINT> checked;
        Hooks().trackPopupMenu = [&](const MenuCall& call) {
            for (const testdock::MenuEntry& entry : call.entries) {
                if (entry.checked) checked.push_back(entry.id);
            }
            // Locked while the menu is open.
            EXPECT_EQ(icon.events.size(), 1u);
            EXPECT_EQ(icon.events.back().number, 1);
            return id;
        };
        EXPECT_TRUE(dock->RightClick(icon));
        Hooks().trackPopupMenu = nullptr;
        return checked;
    }

    static int RefreshEvents(const Icon& icon) {
        return icon.Count(EventKind::Label) + icon.Count(EventKind::ImageFile) + icon.Count(EventKind::Overlay);
    }
};

TEST_F(ContextMenuTest, EntriesChecksAndPlaceFollowTheBitsAndTheCursor) {
    Icon& fresh = dock->CreateIcon();
    EXPECT_EQ(Choose(fresh, 0), (std::vector<UINT>{6, 7, 9}));
    const MenuCall& call = Hooks().menuCalls.back();
    std::vector<std::pair<UINT, std::wstring>> shown;
    for (const testdock::MenuEntry& entry : call.entries) {
        shown.emplace_back(entry.id, entry.separator ? L"-" : entry.text);
    }
    EXPECT_EQ(shown, (std::vector<std::pair<UINT, std::wstring>>{
        {2, L"Update Now"}, {3, L"Detailed Information"}, {16, L"Data Usage..."}, {5, L"-"}, {6, L"Show Upload Rate"},
        {7, L"Show Download Rate"}, {8, L"Show Total Transfer Rate"}, {12, L"Show Download/Upload Graphs"},
        {9, L"Show IP Address"}, {17, L"Show Allowance Bar"}, {10, L"-"}, {11, L"Hide Label"}, {13, L"Hide Icons"}, {15, L"-"},
        {4, L"About Vantrel Docklet"}, {14, L"Remove Entry"}, {1, L"Vantrel Docklet Settings..."}}));
    EXPECT_TRUE(call.flags == TPM_RETURNCMD && call.owner == fresh.hwnd);
    EXPECT_TRUE(call.versionSixControls) << "tracked in the module's own activation context";
    EXPECT_EQ(std::make_pair(call.x, call.y), std::make_pair(321, 123));
    ASSERT_EQ(fresh.Count(EventKind::LockMouseEffect), 2);
    EXPECT_EQ(fresh.events.back().number, 0) << "unlocked after the menu closed";

    EXPECT_EQ(Choose(CreateConfiguredIcon("DockletData=52\r\nLabelData=3\r\n"), 0),
              (std::vector<UINT>{8, 12, 11, 13}));
}

TEST_F(ContextMenuTest, EachDisplayToggleFlipsItsBitAndRefreshesEachTime) {
    Icon& icon = CreateConfiguredIcon();
    const std::pair<UINT, uint32_t> toggles[] = {{6, kShowUploadRate}, {7, kShowDownloadRate}, {8, kShowTotalRate},
                                                 {12, kShowGraphs},    {9, kShowIpAddress},    {13, kHideIcons},
                                                 {17, kShowAllowanceBar}};
    for (const auto& [id, bit] : toggles) {
        for (int round = 1; round <= 2; ++round) {
            Choose(icon, id);
            EXPECT_EQ(Record(icon).dockletData, round == 1 ? kDefaultDockletData ^ bit : kDefaultDockletData) << id;
            // Shown at once; the base image is named again only when it changes.
            EXPECT_EQ(std::make_pair(icon.Count(EventKind::Overlay) > 0, icon.Count(EventKind::ImageFile)),
                      std::make_pair(true, bit == kHideIcons ? 1 : 0)) << "id " << id;
        }
    }
    Choose(icon, 13);
    EXPECT_EQ(icon.imageFile, "Docklets\\Vantrel\\icons\\empty.png");
}

TEST_F(ContextMenuTest, UpdateNowRestartsTheFastTimerOnceTheAdapterIsBack) {
    Icon& icon = CreateConfiguredIcon();
    Adapter().operStatus = IfOperStatusDown;
    dock->Tick(icon, kSlowTimer);
    ASSERT_FALSE(TimerRunning(icon, kFastTimer));
    Adapter().operStatus = IfOperStatusUp;
    Choose(icon, 2);
    EXPECT_TRUE(TimerRunning(icon, kFastTimer) && Record(icon).fastTimerRunning == 1);
    // Though nothing changed, the user's repair hands everything over again.
    Choose(icon, 2);
    EXPECT_TRUE(icon.Count(EventKind::Label) == 1 && icon.Count(EventKind::ImageFile) == 1 &&
                icon.Count(EventKind::Overlay) >= 1);
}

TEST_F(ContextMenuTest, DismissSeparatorsAndHideLabelRefreshNothing) {
    Icon& icon = CreateConfiguredIcon();
    for (UINT id : {0u, 5u, 10u, 15u, 11u, 11u, 99u, 11u}) {
        Choose(icon, id);
        EXPECT_EQ(RefreshEvents(icon) + icon.Count(EventKind::RemoveSelf), 0) << "id " << id;
        EXPECT_TRUE(Hooks().timerCalls.empty() && Hooks().dialogCalls.empty()) << "id " << id;
        EXPECT_EQ(Hooks().adaptersInfoCalls, 0) << "id " << id;
        EXPECT_EQ(Record(icon).dockletData, kDefaultDockletData) << "id " << id;
    }
    EXPECT_EQ(Record(icon).labelData, kDefaultLabelData | kLabelHidden);
}

TEST_F(ContextMenuTest, DialogEntriesOpenTheirDialogsAndRemoveEntryAsksTheDock) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().dialogBox = [](const testdock::DialogCall&) { return INT_PTR{1}; };
    for (const auto& [id, templateId] : {std::pair<UINT, UINT>{3, 105}, {16, 111}, {4, 102}, {1, 109}}) {
        Choose(icon, id);
        ASSERT_EQ(Hooks().dialogCalls.size(), 1u) << "id " << id;
        const testdock::DialogCall& call = Hooks().dialogCalls[0];
        EXPECT_EQ(call.templateId, templateId);
        EXPECT_TRUE(call.owner == icon.hwnd && call.module == dock->Module());
        EXPECT_EQ(call.initParam, reinterpret_cast<LPARAM>(icon.instance));
        EXPECT_TRUE(call.versionSixControls) << "id " << id;
        // The sheet refreshes by itself on OK; the menu does not.
        EXPECT_EQ(RefreshEvents(icon), 0) << "id " << id;
    }
    Choose(icon, 14);
    ASSERT_EQ(icon.Count(EventKind::RemoveSelf), 1);
    EXPECT_EQ(icon.events.back().kind, EventKind::RemoveSelf) << "asked after the menu is unlocked";
    EXPECT_EQ(icon.events.back().number, 1);
}

TEST_F(ContextMenuTest, RealPopupShowsAtTheCursorAndTakesItsChoiceFromTheKeyboard) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().realMenus = true;
    Hooks().cursor = POINT{40, 30};
    CreateDirectoryW(L"..\\build\\screenshots", nullptr);
    // Home selects "Update Now"; seven steps down, past the separator, is "Show IP Address".
    testdock::DialogDriver driver(testdock::PopupMenu());
    driver.Do([](HWND menu) {
        testdock::PressKey(menu, VK_HOME);
        for (int step = 0; step < 7; ++step) {
            testdock::PressKey(menu, VK_DOWN);
        }
    }).Do([](HWND menu) {
        RECT shown{};
        GetWindowRect(menu, &shown);
        EXPECT_EQ(std::make_pair(shown.left, shown.top), std::make_pair(40L, 30L));
        EXPECT_TRUE(testdock::CaptureWindowPng(menu, L"..\\build\\screenshots\\menu.png"));
        testdock::PressKey(menu, VK_RETURN);
    });
    EXPECT_TRUE(dock->RightClick(icon));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(Record(icon).dockletData, kDefaultDockletData & ~kShowIpAddress);
}

}  // namespace
}  // namespace vantrel_test
