// Docks that unload the module: inside the icon window's WM_DESTROY right
// after the last OnDestroy, and around each OnGetInformation of a settings
// window. Nothing of the module may run once it is gone, and nothing of it
// may stay behind.
#include "refresh_fixture.h"

#include "dialog_driver.h"
#include "process_use.h"

#include <tlhelp32.h>

#include <cstdio>

namespace vantrel_test {
namespace {

constexpr UINT kRemoveEntry = 14;

class UnloadTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        ServeCounters(0, 0, 0);
        ServeCounters(1, 1000, 1000);
        testdock::DockMode mode = testdock::ModeFromEnvironment();
        mode.unloadInWindowDestroy = true;
        ReopenDock(mode);
        ASSERT_TRUE(dock->Loaded());
        path = ModulePath();
    }

    // Checked at once: the module goes as the last thing holding it lets go,
    // not a moment later.
    bool ModuleMapped() const { return GetModuleHandleW(path.c_str()) != nullptr; }

    std::wstring path;
};

TEST_F(UnloadTest, TheIconsWindowGoingUnloadsTheModuleAndItLoadsAgainForTheNext) {
    Icon& icon = CreateConfiguredIcon();
    dock->Tick(icon, kFastTimer);
    ASSERT_GT(icon.Count(EventKind::Overlay), 0);
    ASSERT_TRUE(ModuleMapped());

    dock->Destroy(icon);
    EXPECT_FALSE(dock->Loaded());
    // The dock dropped the icon's overlay after the unload: its destructor,
    // the module's, kept the module until then, and let it go on return.
    EXPECT_EQ(testdock::Counters().LiveOverlays(), 0);
    EXPECT_EQ(testdock::Counters().Live(), 0);
    EXPECT_FALSE(ModuleMapped()) << "something still holds the module";
    EXPECT_FALSE(TimerRunning(icon, kSlowTimer));
    EXPECT_FALSE(TimerRunning(icon, kFastTimer));
    EXPECT_TRUE(icon.afterDestroy.empty());

    Icon& next = CreateConfiguredIcon();
    EXPECT_TRUE(dock->Loaded());
    EXPECT_GT(next.Count(EventKind::Overlay), 0);
    EXPECT_TRUE(TimerRunning(next, kFastTimer));
}

TEST_F(UnloadTest, OnlyTheLastOfTwoIconsUnloadsTheModule) {
    Icon& first = CreateConfiguredIcon();
    Icon& second = dock->CreateIcon();
    dock->Destroy(first);
    EXPECT_TRUE(dock->Loaded());
    dock->Pump(300);
    EXPECT_TRUE(ModuleMapped());
    dock->Tick(second, kSlowTimer);
    EXPECT_EQ(second.label, "Vantrel... configure docklet!");

    dock->Destroy(second);
    EXPECT_FALSE(dock->Loaded());
    EXPECT_FALSE(ModuleMapped());
    EXPECT_EQ(Hooks().performanceKeyCloses, 1);
    ASSERT_EQ(Hooks().gdiplusStartups.size(), 1u);
    EXPECT_EQ(Hooks().gdiplusShutdowns, std::vector<ULONG_PTR>{Hooks().gdiplusStartups[0].token});
}

// The dock reports route changes until the module cancels; a change reported
// after the unload must find no registration left to call.
TEST_F(UnloadTest, TheRouteWatchIsCancelledBeforeTheModuleGoes) {
    Hooks().routeNotifyAnswer = DWORD{NO_ERROR};
    adapters.routeInterface = Adapter().interfaceIndex;
    const std::string ini = scratch->File("auto.ini");
    WriteFile(ini, "[Icon]\r\nAdapterChoice=1\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
    ASSERT_EQ(Hooks().routeNotifications.size(), 1u);

    dock->Destroy(icon);
    EXPECT_TRUE(Hooks().routeNotifications.empty());
    EXPECT_EQ(Hooks().cancelledRouteNotifications, 1);
    EXPECT_FALSE(ModuleMapped());
}

// A dock that removes the icon inside DockletRemoveSelf unloads the module
// while the menu's call is still on the stack: it must get home first.
TEST_F(UnloadTest, RemovedFromItsOwnMenuTheModuleOutlivesTheCallThatAsked) {
    dock->destroyOnRemoveSelf = true;
    Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return kRemoveEntry; };
    Icon& icon = CreateConfiguredIcon();
    EXPECT_TRUE(dock->RightClick(icon));
    EXPECT_TRUE(icon.destroyed);
    EXPECT_FALSE(dock->Loaded());
    EXPECT_FALSE(ModuleMapped());
    EXPECT_TRUE(icon.afterDestroy.empty());
}

// Destroyed and unloaded while its About box is up: the call that opened it
// answers as the box closed (the shipped i686 build carries the result past
// the unload) and takes the module with it as it returns.
TEST_F(UnloadTest, ADialogDestroyedUnderItsCallAnswersAndTheModuleGoesWithTheCall) {
    Icon& icon = CreateConfiguredIcon();
    bool mappedUnderTheCall = false;
    testdock::DialogDriver driver(testdock::DialogTitled(L"About Vantrel Docklet v0.1.0.5g"));
    driver
        .Do([&](HWND) {
            dock->Destroy(icon);
            mappedUnderTheCall = ModuleMapped();
        })
        .WaitGone(5000);
    const INT_PTR result = dock->About(icon);
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(dock->Loaded());
    EXPECT_TRUE(mappedUnderTheCall) << "the module went while its dialog's call was on the stack";
    EXPECT_FALSE(ModuleMapped());
#if defined(__i386__)
    EXPECT_EQ(result, 0);
#else
    EXPECT_NE(result, 0) << "FreeLibrary's result";
#endif
    EXPECT_TRUE(icon.afterDestroy.empty());
}

int ThreadsOfThisProcess() {
    int count = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return count;
}

using InformationLoadTest = DockTest;

// LoadLibrary, OnGetInformation, FreeLibrary, 200 times, with no dock holding
// the module besides: each load goes as it came.
TEST_F(InformationLoadTest, TwoHundredLoadsLeaveNoThreadSessionHandleOrMemory) {
    dock.reset();
    const std::wstring path = ModulePath();
    ASSERT_EQ(GetModuleHandleW(path.c_str()), nullptr);
    for (int warm = 0; warm < 3; ++warm) {
        testdock::LoadForInformation(path);
    }
    const int threadsBefore = ThreadsOfThisProcess();
    const testdock::ProcessUse before = testdock::MeasureProcess();
    {
        const std::lock_guard<std::mutex> lock(testdock::HooksLock());
        Hooks() = testdock::SystemHooks{};
        Hooks().trackAllocations = true;
    }
    for (int load = 0; load < 200; ++load) {
        const testdock::DockletInformation information = testdock::LoadForInformation(path);
        ASSERT_EQ(information.name, "Vantrel Docklet") << load;
        ASSERT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "load " << load << " stayed";
    }
    const testdock::ProcessUse after = testdock::MeasureProcess();
    testdock::PrintProcessUse("200 information-only loads", before, after);
    std::printf("threads: %d before, %d after\n", threadsBefore, ThreadsOfThisProcess());

    const std::lock_guard<std::mutex> lock(testdock::HooksLock());
    EXPECT_TRUE(Hooks().gdiplusStartups.empty()) << "no GDI+ session for information";
    EXPECT_TRUE(Hooks().windowCalls.empty());
    EXPECT_TRUE(Hooks().timerCalls.empty());
    EXPECT_TRUE(Hooks().registryQueries.empty());
    EXPECT_TRUE(Hooks().liveAllocations.empty());
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
    // 200 loads that each kept a heap block or a page would show here.
    EXPECT_LE(after.handles, before.handles + 2);
    EXPECT_LT(after.privateBytes, before.privateBytes + 64 * 1024);
}

}  // namespace
}  // namespace vantrel_test
