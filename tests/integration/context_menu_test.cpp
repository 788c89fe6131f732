// The right-click menu through the dock: what it shows, and what each choice
// does to the settings, the refreshes and the fast timer.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"

#include <optional>

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

    // Right-clicks and chooses id (0: dismisses); returns the menu shown.
    MenuCall Choose(Icon& icon, UINT id) {
        Hooks().ClearLog();
        icon.events.clear();
        Hooks().trackPopupMenu = [id](const MenuCall&) { return id; };
        EXPECT_TRUE(dock->RightClick(icon));
        EXPECT_EQ(Hooks().menuCalls.size(), 1u);
        return Hooks().menuCalls.empty() ? MenuCall{} : Hooks().menuCalls.back();
    }

    // Events other than the lock and unlock around the menu.
    static int RefreshEvents(const Icon& icon) {
        return icon.Count(EventKind::Label) + icon.Count(EventKind::ImageFile) + icon.Count(EventKind::Overlay);
    }
};

std::vector<UINT> CheckedIds(const MenuCall& call) {
    std::vector<UINT> ids;
    for (const testdock::MenuEntry& entry : call.entries) {
        if (entry.checked) {
            ids.push_back(entry.id);
        }
    }
    return ids;
}

TEST_F(ContextMenuTest, EntriesAndChecksFollowTheBits) {
    Icon& fresh = dock->CreateIcon();
    const MenuCall call = Choose(fresh, 0);
    const std::vector<std::pair<UINT, std::wstring>> expected = {
        {2, L"Update Now"},       {3, L"Detailed Information"},       {5, L""},
        {6, L"Show Upload Rate"}, {7, L"Show Download Rate"},         {8, L"Show Total Transfer Rate"},
        {12, L"Show Download/Upload Graphs"}, {9, L"Show IP Address"}, {10, L""},
        {11, L"Hide Label"},      {13, L"Hide Icons"},                {15, L""},
        {4, L"About Vantrel Docklet"}, {14, L"Remove Entry"},         {1, L"Vantrel Docklet Settings..."},
    };
    ASSERT_EQ(call.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(call.entries[i].id, expected[i].first) << "position " << i + 1;
        EXPECT_EQ(call.entries[i].text, expected[i].second) << "position " << i + 1;
        EXPECT_EQ(call.entries[i].separator, expected[i].second.empty()) << "position " << i + 1;
    }
    EXPECT_EQ(CheckedIds(call), (std::vector<UINT>{6, 7, 9}));
    EXPECT_EQ(call.flags, static_cast<UINT>(TPM_RETURNCMD));
    EXPECT_EQ(call.owner, fresh.hwnd);
    EXPECT_EQ(call.x, 321);
    EXPECT_EQ(call.y, 123);

    Icon& other = CreateConfiguredIcon("DockletData=52\r\nLabelData=3\r\n");
    EXPECT_EQ(CheckedIds(Choose(other, 0)), (std::vector<UINT>{8, 12, 11, 13}));
    Icon& none = CreateConfiguredIcon("DockletData=0\r\nLabelData=64\r\n");
    EXPECT_TRUE(CheckedIds(Choose(none, 0)).empty());
}

TEST_F(ContextMenuTest, MouseEffectIsLockedExactlyWhileTheMenuIsOpen) {
    Icon& icon = CreateConfiguredIcon();
    std::vector<long long> locksDuringMenu;
    icon.events.clear();
    Hooks().trackPopupMenu = [&](const MenuCall&) {
        for (const testdock::Event* event : icon.EventsOf(EventKind::LockMouseEffect)) {
            locksDuringMenu.push_back(event->number);
        }
        return 0u;
    };
    dock->RightClick(icon);
    EXPECT_EQ(locksDuringMenu, (std::vector<long long>{1}));
    const auto locks = icon.EventsOf(EventKind::LockMouseEffect);
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[1]->number, 0);
}

TEST_F(ContextMenuTest, EachDisplayToggleFlipsItsBitAndRefreshesTwiceOver) {
    Icon& icon = CreateConfiguredIcon();
    const std::pair<UINT, uint32_t> toggles[] = {{6, kShowUploadRate}, {7, kShowDownloadRate}, {8, kShowTotalRate},
                                                 {12, kShowGraphs},    {9, kShowIpAddress},    {13, kHideIcons}};
    for (const auto& [id, bit] : toggles) {
        const uint32_t before = Record(icon).dockletData;
        for (int round = 1; round <= 2; ++round) {
            Choose(icon, id);
            EXPECT_EQ(Record(icon).dockletData, round == 1 ? before ^ bit : before) << "id " << id;
            // Adapter state (base image) and display (label) both refreshed.
            EXPECT_EQ(icon.Count(EventKind::ImageFile), 1) << "id " << id;
            EXPECT_EQ(icon.Count(EventKind::Label), 1) << "id " << id;
        }
        EXPECT_EQ(Record(icon).labelData, kDefaultLabelData);
    }
    Choose(icon, 13);
    EXPECT_EQ(icon.imageFile, "Docklets\\Vantrel\\icons\\empty.png");
}

TEST_F(ContextMenuTest, UpdateNowRestartsTheFastTimerOnceTheAdapterIsBack) {
    Icon& icon = CreateConfiguredIcon();
    Adapter().operStatus = IfOperStatusDown;
    dock->Tick(icon, kSlowTimer);
    ASSERT_FALSE(TimerRunning(icon, kFastTimer));

    Choose(icon, 2);
    EXPECT_FALSE(TimerRunning(icon, kFastTimer)) << "still down";
    EXPECT_EQ(icon.imageFile, "Docklets\\Vantrel\\icons\\na.png");

    Adapter().operStatus = IfOperStatusUp;
    Choose(icon, 2);
    EXPECT_TRUE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(Record(icon).fastTimerRunning, 1);
    EXPECT_EQ(icon.imageFile, "Docklets\\Vantrel\\icons\\background.png");
    EXPECT_EQ(Record(icon).dockletData, kDefaultDockletData);
}

TEST_F(ContextMenuTest, DismissSeparatorsAndHideLabelRefreshNothing) {
    Icon& icon = CreateConfiguredIcon();
    const DockletInstance before = Record(icon);
    for (UINT id : {0u, 5u, 10u, 15u, 11u, 11u, 99u}) {
        Choose(icon, id);
        EXPECT_EQ(RefreshEvents(icon), 0) << "id " << id;
        EXPECT_TRUE(Hooks().timerCalls.empty()) << "id " << id;
        EXPECT_EQ(Hooks().adaptersInfoCalls, 0) << "id " << id;
        EXPECT_TRUE(Hooks().dialogCalls.empty()) << "id " << id;
        EXPECT_EQ(icon.Count(EventKind::RemoveSelf), 0) << "id " << id;
        EXPECT_EQ(Record(icon).dockletData, before.dockletData) << "id " << id;
    }
    Choose(icon, 11);
    EXPECT_EQ(Record(icon).labelData, before.labelData | kLabelHidden);
    // The label follows at the next fast tick.
    ServeCounters(2, 2000, 2000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "");
}

TEST_F(ContextMenuTest, DialogEntriesOpenTheirDialogsAndRemoveEntryAsksTheDock) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().dialogBox = [](const testdock::DialogCall&) { return INT_PTR{1}; };
    const std::pair<UINT, UINT> dialogs[] = {{3, 105}, {4, 102}, {1, 109}};
    for (const auto& [id, templateId] : dialogs) {
        Choose(icon, id);
        ASSERT_EQ(Hooks().dialogCalls.size(), 1u) << "id " << id;
        const testdock::DialogCall& call = Hooks().dialogCalls[0];
        EXPECT_EQ(call.templateId, templateId);
        EXPECT_EQ(call.owner, icon.hwnd);
        EXPECT_EQ(call.module, dock->Module());
        EXPECT_EQ(call.initParam, reinterpret_cast<LPARAM>(icon.instance));
        // The sheet refreshes by itself on OK; the menu does not.
        EXPECT_EQ(RefreshEvents(icon), 0) << "id " << id;
    }

    Choose(icon, 14);
    const auto removals = icon.EventsOf(EventKind::RemoveSelf);
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0]->number, 1);
    EXPECT_FALSE(icon.destroyed) << "the dock ends the icon later";

    Hooks().missingHostFunctions = {"DockletRemoveSelf", "DockletLockMouseEffect"};
    Choose(icon, 14);
    EXPECT_TRUE(icon.events.empty());
}

TEST_F(ContextMenuTest, RealPopupShowsAtTheCursorAndTakesItsChoiceFromTheKeyboard) {
    Icon& icon = CreateConfiguredIcon();
    Hooks().realMenus = true;
    Hooks().cursor = POINT{40, 30};
    CreateDirectoryW(L"..\\build\\screenshots", nullptr);
    RECT shown{};
    bool captured = false;
    // Home selects "Update Now"; six steps down, past the separator, is "Show IP Address".
    std::optional<testdock::WindowDriver> choose;
    testdock::WindowDriver select(testdock::kPopupMenuClass, L"", [&](HWND menu) {
        testdock::PressKey(menu, VK_HOME);
        for (int step = 0; step < 6; ++step) {
            testdock::PressKey(menu, VK_DOWN);
        }
        choose.emplace(testdock::kPopupMenuClass, L"", [&](HWND sameMenu) {
            GetWindowRect(sameMenu, &shown);
            captured = testdock::CaptureWindowPng(sameMenu, L"..\\build\\screenshots\\menu.png");
            testdock::PressKey(sameMenu, VK_RETURN);
        });
    });
    EXPECT_TRUE(dock->RightClick(icon));
    ASSERT_TRUE(select.Ran());
    ASSERT_TRUE(choose && choose->Ran());
    EXPECT_TRUE(captured);
    EXPECT_EQ(shown.left, 40);
    EXPECT_EQ(shown.top, 30);
    EXPECT_EQ(Record(icon).dockletData, kDefaultDockletData & ~kShowIpAddress);
    EXPECT_EQ(icon.Count(EventKind::LockMouseEffect), 2);
    EXPECT_EQ(testdock::FindOwnWindow(testdock::kPopupMenuClass), nullptr);
}

}  // namespace
}  // namespace vantrel_test
