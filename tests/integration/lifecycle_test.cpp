// Creation, timers and destruction of instances, seen from the dock.
#include "dock_fixture.h"

namespace vantrel_test {
namespace {

using LifecycleTest = DockTest;

TEST_F(LifecycleTest, InformationNeedsNoInstance) {
    const testdock::DockletInformation information = dock->Information();
    EXPECT_EQ(information.name, "Vantrel Docklet");
    EXPECT_EQ(information.author, "Brannoch");
    EXPECT_EQ(information.version, 100);
    EXPECT_EQ(information.notes, "A Vantrel Docklet for ObjectDock");
    EXPECT_TRUE(dock->Icons().empty());
}

TEST_F(LifecycleTest, FreshIconAsksToBeConfiguredAndRunsOnlyTheSlowTimer) {
    Icon& icon = dock->CreateIcon();
    ASSERT_NE(icon.instance, nullptr);
    EXPECT_EQ(icon.label, "Vantrel... configure docklet!");

    const std::vector<TimerCall> calls = TimerCallsFor(icon);
    ASSERT_FALSE(calls.empty());
    bool slowSet = false;
    for (const TimerCall& call : calls) {
        if (call.set && call.id == kSlowTimer) {
            slowSet = true;
            EXPECT_EQ(call.period, 30000u);
        }
        EXPECT_FALSE(call.set && call.id == kFastTimer) << "no adapter is configured";
    }
    EXPECT_TRUE(slowSet);

    ASSERT_EQ(Hooks().gdiplusStartups.size(), 1u);
    const testdock::GdiplusStartupCall& startup = Hooks().gdiplusStartups[0];
    EXPECT_EQ(startup.version, 1u);
    EXPECT_FALSE(startup.debugCallback);
    EXPECT_FALSE(startup.suppressBackgroundThread);
    EXPECT_FALSE(startup.suppressExternalCodecs);
}

TEST_F(LifecycleTest, FailedGdiplusStartupIsShownOnTheLabelAndCreationGoesOn) {
    Hooks().failGdiplusStartupWith = 2;
    Icon& icon = dock->CreateIcon();
    ASSERT_NE(icon.instance, nullptr);
    EXPECT_EQ(icon.label, "Error: GdiplusStartup, 2");
    EXPECT_TRUE(TimerRunning(icon, kSlowTimer));

    // The next icon tries again; the session it starts ends with the last icon.
    Hooks().failGdiplusStartupWith = 0;
    Icon& second = dock->CreateIcon();
    EXPECT_EQ(second.label, "Vantrel... configure docklet!");
    ASSERT_EQ(Hooks().gdiplusStartups.size(), 2u);
    dock->Destroy(icon);
    EXPECT_TRUE(Hooks().gdiplusShutdowns.empty());
    dock->Destroy(second);
    ASSERT_EQ(Hooks().gdiplusShutdowns.size(), 1u);
    EXPECT_EQ(Hooks().gdiplusShutdowns[0], Hooks().gdiplusStartups[1].token);
}

TEST_F(LifecycleTest, OnlyItsOwnTimersReachAnInstanceAndItsTimerCallsUseItsOwnWindow) {
    Icon& first = dock->CreateIcon();
    Icon& second = dock->CreateIcon();
    Hooks().ClearLog();
    const size_t eventsBefore = first.events.size();
    dock->Message(first, WM_PAINT, 0, 0);
    dock->Message(first, WM_COMMAND, kFastTimer, 0);
    dock->Tick(first, 42);
    dock->Tick(first, kSlowTimer + 2);
    EXPECT_TRUE(Hooks().timerCalls.empty());
    EXPECT_EQ(first.events.size(), eventsBefore);

    // A dock may pass any window with the message; the instance uses its own.
    dock->Message(first, WM_TIMER, kFastTimer, 12345, second.hwnd);
    ASSERT_EQ(Hooks().timerCalls.size(), 1u);
    EXPECT_EQ(Hooks().timerCalls[0].hwnd, first.hwnd);
}

TEST_F(LifecycleTest, TicksWhileNotConnectedStopTheFastTimer) {
    Icon& icon = dock->CreateIcon();
    for (UINT_PTR id : {kFastTimer, kSlowTimer}) {
        Hooks().ClearLog();
        dock->Tick(icon, id);
        const std::vector<TimerCall> calls = TimerCallsFor(icon);
        ASSERT_FALSE(calls.empty()) << "tick " << id;
        EXPECT_FALSE(calls.back().set);
        EXPECT_EQ(calls.back().id, kFastTimer);
        for (const TimerCall& call : calls) {
            EXPECT_FALSE(call.set && call.id == kFastTimer);
            EXPECT_NE(call.id, kSlowTimer) << "the slow timer runs for the life of the instance";
        }
    }
}

// The performance key stays open between fetches (closing it unloads the
// system's counter providers) and closes once, with the last icon; the one
// GDI+ session of the module goes with it.
TEST_F(LifecycleTest, DestroyStopsBothTimersAndTheLastIconEndsGdiplusAndClosesThePerformanceKey) {
    Icon& first = dock->CreateIcon();
    Icon& second = dock->CreateIcon();
    ASSERT_EQ(Hooks().gdiplusStartups.size(), 1u) << "the second icon shares the running session";
    ASSERT_GE(Hooks().registryQueries.size(), 2u);
    const ULONG_PTR token = Hooks().gdiplusStartups[0].token;

    dock->Destroy(first);
    EXPECT_FALSE(TimerRunning(first, kSlowTimer));
    EXPECT_FALSE(TimerRunning(first, kFastTimer));
    EXPECT_TRUE(TimerRunning(second, kSlowTimer));
    EXPECT_TRUE(Hooks().gdiplusShutdowns.empty());
    EXPECT_EQ(Hooks().performanceKeyCloses, 0);

    dock->Destroy(second);
    ASSERT_EQ(Hooks().gdiplusShutdowns.size(), 1u);
    EXPECT_EQ(Hooks().gdiplusShutdowns[0], token);
    EXPECT_EQ(Hooks().performanceKeyCloses, 1);
    // Real timers fire through the windows: none may reach a freed instance.
    dock->Pump(150);

    // A new first icon starts a new session.
    Icon& third = dock->CreateIcon();
    EXPECT_EQ(Hooks().gdiplusStartups.size(), 2u);
    dock->Destroy(third);
    EXPECT_EQ(Hooks().gdiplusShutdowns.size(), 2u);
}

TEST_F(LifecycleTest, MissingHostCallbacksAreSkippedAndLookedUpOnEveryCall) {
    Hooks().missingHostFunctions = {"DockletSetLabel"};
    Icon& icon = dock->CreateIcon();
    ASSERT_NE(icon.instance, nullptr);
    EXPECT_EQ(icon.Count(EventKind::Label), 0);
    EXPECT_TRUE(TimerRunning(icon, kSlowTimer));

    Hooks().missingHostFunctions.clear();
    Icon& second = dock->CreateIcon();
    EXPECT_EQ(second.label, "Vantrel... configure docklet!");
    int labelLookups = 0;
    for (const std::string& name : Hooks().hostLookups) {
        labelLookups += name == "DockletSetLabel";
    }
    EXPECT_GE(labelLookups, 2);
}

TEST_F(LifecycleTest, LeftClickRunsTheConfiguredCommandAfterTheAnimation) {
    Icon& unset = dock->CreateIcon();
    EXPECT_FALSE(dock->DoubleClick(unset));
    EXPECT_TRUE(dock->LeftClick(unset));
    // No command is configured: nothing runs and the icon does not animate.
    EXPECT_TRUE(Hooks().shellCalls.empty());
    EXPECT_EQ(unset.Count(EventKind::AttentionAnimation), 0);

    const std::string ini = scratch->File("dock.ini");
    WriteFile(ini, "[Icon1]\r\nCommand=C:\\Tools\\netmon.exe\r\nParameters=--adapter 2\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Icon1");
    EXPECT_TRUE(dock->LeftClick(icon));
    ASSERT_EQ(Hooks().shellCalls.size(), 1u);
    const testdock::ShellCall& call = Hooks().shellCalls[0];
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.verb, L"");
    EXPECT_EQ(call.file, L"C:\\Tools\\netmon.exe");
    EXPECT_EQ(call.parameters, L"--adapter 2");
    EXPECT_EQ(call.directory, L"");
    EXPECT_EQ(call.show, SW_SHOWDEFAULT);
    EXPECT_EQ(icon.Count(EventKind::AttentionAnimation), 1);
}

}  // namespace
}  // namespace vantrel_test
