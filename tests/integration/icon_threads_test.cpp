// Icons of one module on two threads, each with its own message loop, as some
// docks run them: both tick on real timers, open their menus and sheets, and
// go at the same moment, round after round. What the icons share (the count
// of live icons, the GDI+ session, the performance key) must come out whole.
#include "sheet_fixture.h"

#include "process_use.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace vantrel_test {
namespace {

// Lets the threads of a round through together, as close as the system allows.
class Rendezvous {
public:
    explicit Rendezvous(int parties) : waiting_(parties) {}
    void Arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (--waiting_ == 0) {
            all_.notify_all();
        } else {
            all_.wait(lock, [this] { return waiting_ == 0; });
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable all_;
    int waiting_;
};

constexpr UINT kShowIpAddressEntry = 9;

// Wine 8 corrupts the text layout cache that edit controls share (Uniscribe's
// script cache) when two threads lay out edit text at once: measured as a
// fault in its cache lookup and as a wait forever on its lock, with the
// module's sheets open on both threads. So the sheets take turns; each still
// runs on its own icon's thread, beside the other icon's ticks. A thread
// that waits for its turn keeps pumping its icon's messages.
std::mutex sheetTurn;

struct IconRun {
    bool created = false;
    bool sheetDriven = false;
    int overlays = 0;
    std::vector<std::string> afterDestroy;
};

class IconThreadsTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        // A fast tick every 20 ms and a slow one every 600 ms, as WM_TIMER
        // through each icon's own window; start-ups and shutdowns of GDI+
        // take 20 ms, so that two that overlap are sure to meet. Faster ticks
        // fill a loaded machine's modal loops with the icons' timers and
        // starve the drivers' own.
        const std::lock_guard<std::mutex> lock(testdock::HooksLock());
        Hooks().timerPeriodDivisor = 50;
        Hooks().gdiplusDelayMs = 20;
        Hooks().cursor = POINT{100, 100};
        Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return kShowIpAddressEntry; };
        // Wine loads its display driver with the first window of the process
        // and fails to from a second thread: a dock's own window comes first.
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"dock", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr));
    }

    // One icon's life on the calling thread.
    void Live(const std::string& ini, Rendezvous& start, Rendezvous& created, Rendezvous& end, IconRun& run) {
        start.Arrive();
        Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
        run.created = icon.instance != nullptr;
        created.Arrive();
        dock->Pump(350);
        dock->RightClick(icon);
        std::unique_lock<std::mutex> turn(sheetTurn, std::defer_lock);
        while (!turn.try_lock()) {
            dock->Pump(10);
        }
        testdock::DialogDriver driver(testdock::SettingsSheetOf(icon.hwnd));
        driver.Do([](HWND sheet) { testdock::ShowSheetPage(sheet, kGraph); })
            .Do([](HWND sheet) { testdock::PressOk(sheet); })
            .WaitGone();
        dock->Configure(icon);
        run.sheetDriven = driver.Done();
        turn.unlock();
        dock->Pump(50);
        end.Arrive();
        dock->Destroy(icon);
        dock->Pump(30);  // what is still queued for the window meets no instance
        run.overlays = icon.Count(EventKind::Overlay);
        run.afterDestroy = icon.afterDestroy;
        DestroyWindow(icon.hwnd);
    }
};

TEST_F(IconThreadsTest, TwoIconsOnTwoThreadsTickOpenMenusAndSheetsAndGoAtOnce) {
#if defined(__i386__)
    const int rounds = testdock::SoakCount("VANTREL_THREAD_ROUNDS", 4);
#else
    const int rounds = testdock::SoakCount("VANTREL_THREAD_ROUNDS", 12);
#endif
    const std::string ini = scratch->File("threads.ini");
    WriteFile(ini, "[Icon]\r\nInterfaceDescription=" + Adapter().description + "\r\nGUID=" + Adapter().guid + "\r\n");
    const DWORD began = GetTickCount();
    int round = 0;
    for (; round < rounds; ++round) {
        SCOPED_TRACE(round);
        {
            const std::lock_guard<std::mutex> lock(testdock::HooksLock());
            Hooks().ClearLog();
        }
        Rendezvous start(2);
        Rendezvous created(2);
        Rendezvous end(2);
        IconRun runs[2];
        std::thread first([&] { Live(ini, start, created, end, runs[0]); });
        std::thread second([&] { Live(ini, start, created, end, runs[1]); });
        first.join();
        second.join();

        for (const IconRun& run : runs) {
            EXPECT_TRUE(run.created);
            EXPECT_TRUE(run.sheetDriven) << "the sheet did not come up on its icon's thread";
            EXPECT_GT(run.overlays, 1) << "the menu's choice is drawn";
            EXPECT_TRUE(run.afterDestroy.empty()) << run.afterDestroy.front();
        }
        // One session for the icons alive together, ended once with the last.
        ASSERT_EQ(Hooks().gdiplusStartups.size(), 1u);
        EXPECT_EQ(Hooks().gdiplusStartups[0].status, 0);
        EXPECT_EQ(Hooks().gdiplusShutdowns, std::vector<ULONG_PTR>{Hooks().gdiplusStartups[0].token});
        EXPECT_EQ(Hooks().performanceKeyCloses, 1);
        EXPECT_EQ(Hooks().menuCalls.size(), 2u);
        // Twenty-millisecond ticks fetched the counters many times over.
        EXPECT_GT(Hooks().registryQueries.size(), 20u);
        if (HasFailure()) {
            break;
        }
    }
    std::printf("icons on two threads: %d rounds in %lu ms\n", round,
                static_cast<unsigned long>(GetTickCount() - began));
    EXPECT_EQ(testdock::Counters().LiveOverlays(), 0);
    EXPECT_EQ(testdock::Counters().Live(), 0) << "pictures the module loaded are all released";
}

}  // namespace
}  // namespace vantrel_test
