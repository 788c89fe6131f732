// Usage totals through the dock: counted once from the counters the icon
// samples, kept in the user's SQLite file, and never lost when docks die, the
// counters start again, the clock moves or the file cannot be used.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"

#include <sqlite3.h>

#include <chrono>
#include <commctrl.h>
#include <commdlg.h>
#include <functional>
#include <map>

namespace vantrel_test {
namespace {

constexpr uint64_t kSecond = 10000000;  // FILETIME units

uint64_t UtcAt(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    return (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// What a file's totals are: every bucket of every adapter, received and sent.
struct Stored {
    int64_t received = -1;
    int64_t sent = -1;
};

// Of one adapter, when a GUID is given.
Stored StoredIn(const std::string& path, const std::string& guid = "") {
    Stored stored;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT coalesce(sum(received),0), coalesce(sum(sent),0) FROM traffic WHERE ?1 = '' OR"
                               " adapter = (SELECT id FROM adapters WHERE guid = ?1)",
                               -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_bind_text(statement, 1, guid.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            stored = {sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1)};
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return stored;
}

class UsageTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        Hooks().systemTime = UtcAt(2026, 3, 10, 12, 0);
        Hooks().uptimeMs = 3600000;
    }

    std::string Database() const { return scratch->File("AppData\\Vantrel Docklet\\usage.db"); }
    Stored Totals() const { return StoredIn(Database()); }
    void Advance(uint64_t seconds) { *Hooks().systemTime += seconds * kSecond; }

    // An icon whose first two readings are these counters.
    Icon& Start(uint64_t received, uint64_t sent, const std::string& lines = "LabelData=128\r\n") {
        ServeCounters(seconds_++, received, sent);
        ServeCounters(seconds_++, received, sent);
        return CreateConfiguredIcon(lines);
    }
    // One tick at these counters.
    void Tick(Icon& icon, uint64_t received, uint64_t sent = 0) {
        ServeCounters(seconds_++, received, sent);
        dock->Tick(icon, kFastTimer);
    }
    // Another dock's process on the same adapter and file (see tests/peer).
    DWORD RunPeer(const std::wstring& arguments) {
        wchar_t program[MAX_PATH];
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        wchar_t module[MAX_PATH];
        GetModuleFileNameW(dock->Module(), module, MAX_PATH);
        std::wstring command = L"\"" + Folder(program) + L"\\vantrel_usage_peer.exe\" " + arguments;
        command = std::wstring(command).replace(command.find(L"%MODULE%"), 8, module);
        return Launch(command, true);
    }
    DWORD Launch(std::wstring command, bool wait) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            return 0xFFFFFFFF;
        }
        DWORD code = 0;
        if (wait) {
            WaitForSingleObject(process.hProcess, 60000);
            GetExitCodeProcess(process.hProcess, &code);
        }
        CloseHandle(process.hThread);
        peer_ = process.hProcess;
        return code;
    }
    std::wstring PeerDock(uint64_t r0, uint64_t r1, const wchar_t* end) {
        const std::string ini = scratch->File("peer.ini");
        WriteFile(ini, "[Icon]\r\nInterfaceDescription=" + Adapter().description + "\r\nGUID=" + Adapter().guid + "\r\n");
        return L"dock \"%MODULE%\" \"" + Hooks().localAppData + L"\" \"" + testdock::Widen(ini) + L"\" " +
               std::to_wstring(*Hooks().systemTime) + L" " + std::to_wstring(*Hooks().uptimeMs) + L" " +
               std::to_wstring(r0) + L" 0 " + std::to_wstring(r1) + L" 0 " + end;
    }
    void TearDown() override {
        if (peer_) {
            WaitForSingleObject(peer_, 60000);
            CloseHandle(peer_);
        }
        RefreshTest::TearDown();
    }

    int seconds_ = 0;
    HANDLE peer_ = nullptr;
};

TEST_F(UsageTest, FirstSightIsTheBaselineAndTheLabelMovesEveryTickBetweenWrites) {
    Icon& icon = Start(5000000000, 1000000000);
    EXPECT_EQ(icon.label, "Today: 0.0K");
    EXPECT_EQ(Totals().received, 0) << "the adapter is written at once, with nothing before it counted";

    Tick(icon, 5812400000, 1000000000);
    EXPECT_EQ(icon.label, "Today: 812.4M");
    Advance(30);
    Tick(icon, 5812400000, 1000050000);
    EXPECT_EQ(icon.label, "Today: 812.5M");
    EXPECT_EQ(Totals().received, 0) << "no write within the minute";

    Advance(31);
    Tick(icon, 5813400000, 1000050000);
    EXPECT_EQ(Totals().received, 813400000);
    EXPECT_EQ(Totals().sent, 50000);
    EXPECT_EQ(icon.label, "Today: 813.5M");
}

TEST_F(UsageTest, LabelsCountAsUsageCountSaysAndShowTheAllowance) {
    Icon& both = Start(0, 0, "LabelData=256\r\nUsageAllowance=2000000\r\n");
    Icon& received = Start(0, 0, "LabelData=256\r\nUsageCount=1\r\n");
    Icon& sent = Start(0, 0, "LabelData=128\r\nUsageCount=2\r\n");
    Tick(both, 41700000000, 1200000000000);
    Tick(received, 41700000000, 1200000000000);
    Tick(sent, 41700000000, 1200000000000);
    EXPECT_EQ(both.label, "Month: 1.2T of 2.0T");
    EXPECT_EQ(received.label, "Month: 41.7G");
    EXPECT_EQ(sent.label, "Today: 1.2T");
}

TEST_F(UsageTest, TwoIconsOnOneAdapterCountEachByteOnce) {
    Icon& first = Start(1000, 1000);
    Icon& second = Start(1000, 1000);
    Tick(first, 1001000, 1000);
    Tick(second, 1001000, 1000);
    Advance(61);
    Tick(first, 2001000, 1000);
    EXPECT_EQ(Totals().received, 2000000);
    // The adapter was written within the minute: the second icon only shows.
    Tick(second, 2501000, 1000);
    EXPECT_EQ(Totals().received, 2000000);
    EXPECT_EQ(first.label, "Today: 2.0M");
    EXPECT_EQ(second.label, "Today: 2.5M");
    dock->Destroy(first);
    dock->Destroy(second);
    EXPECT_EQ(Totals().received, 2500000);
}

TEST_F(UsageTest, AnIconWritingAnOlderReadingThanAnotherWroteCountsNothing) {
    Icon& first = Start(1000, 0);
    Icon& second = Start(1000, 0);
    Advance(61);
    Tick(first, 2001000);
    Advance(61);
    Tick(second, 3001000);
    EXPECT_EQ(Totals().received, 3000000);
    // The first icon's last reading is older than the one written: not a counter that started again.
    dock->Destroy(first);
    EXPECT_EQ(Totals().received, 3000000);
    dock->Destroy(second);
    EXPECT_EQ(Totals().received, 3000000);
}

TEST_F(UsageTest, AnAutomaticIconWritesTheAdapterItLeavesAndStartsTheNextAtItsBaseline) {
    AddWirelessAdapter();
    adapters.routeInterface = Adapter().interfaceIndex;
    ServeTwo(L"Wireless Adapter", 0, 1000, 70000000);
    ServeTwo(L"Wireless Adapter", 1, 1000, 70000000);
    const std::string ini = scratch->File("auto.ini");
    WriteFile(ini, "[Icon]\r\nAdapterChoice=1\r\nLabelData=128\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
    ServeTwo(L"Wireless Adapter", 2, 2001000, 70000000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Today: 2.0M");

    adapters.routeInterface = 23;
    ServeTwo(L"Wireless Adapter", 3, 2001000, 70001000);
    dock->Tick(icon, kSlowTimer);
    EXPECT_EQ(StoredIn(Database(), Adapter().guid).received, 2000000) << "written when the icon left it";
    ServeTwo(L"Wireless Adapter", 4, 2001000, 73001000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Today: 3.0M") << "the wireless adapter from its first sight";
    dock->Destroy(icon);
    EXPECT_EQ(StoredIn(Database(), adapters.adapters[1].guid).received, 3000000);
    EXPECT_EQ(Totals().received, 5000000);
}

TEST_F(UsageTest, TwoDocksCountEachByteOnce) {
    Icon& icon = Start(1000, 0);
    ASSERT_EQ(RunPeer(PeerDock(1000, 3001000, L"destroy")), 0u);
    EXPECT_EQ(Totals().received, 3000000);
    Tick(icon, 4001000);
    EXPECT_EQ(icon.label, "Today: 4.0M");
    dock->Destroy(icon);
    EXPECT_EQ(Totals().received, 4000000);
}

TEST_F(UsageTest, ADockKilledBetweenWritesLosesNothing) {
    ASSERT_EQ(RunPeer(PeerDock(1000, 2001000, L"kill")), 0u);
    EXPECT_EQ(Totals().received, 0) << "killed before its first write after the baseline";
    Advance(3600);
    Icon& icon = Start(5001000, 0);
    EXPECT_EQ(icon.label, "Today: 5.0M");
    dock->Destroy(icon);
    EXPECT_EQ(Totals().received, 5000000);
}

TEST_F(UsageTest, CountersThatStartAgainAndWindowsRestartsCountTheCurrentValues) {
    Icon& icon = Start(10000000, 0);
    Advance(61);
    Tick(icon, 12000000);
    EXPECT_EQ(Totals().received, 2000000);
    // The counter went back: it started again from zero.
    Advance(61);
    Tick(icon, 500000);
    EXPECT_EQ(Totals().received, 2500000);
    EXPECT_EQ(icon.label, "Today: 2.5M");
    dock->Destroy(icon);

    // Windows restarted: the uptime is lower than at the last write, and all
    // of the counters' values are new, even above the stored ones.
    Hooks().uptimeMs = 120000;
    Advance(600);
    Icon& again = Start(20000000, 0);
    EXPECT_EQ(again.label, "Today: 22.5M");
    dock->Destroy(again);
    EXPECT_EQ(Totals().received, 22500000);
}

TEST_F(UsageTest, StartDay31BeginsFebruaryOnItsLastDay) {
    Hooks().systemTime = UtcAt(2026, 2, 27, 12, 0);
    Icon& icon = Start(0, 0, "LabelData=256\r\nUsageStartDay=31\r\n");
    Advance(61);
    Tick(icon, 1000000);
    EXPECT_EQ(icon.label, "Month: 1.0M") << "the month from 31 January";
    Hooks().systemTime = UtcAt(2026, 2, 28, 12, 0);
    Tick(icon, 3000000);
    EXPECT_EQ(icon.label, "Month: 2.0M") << "a new month on 28 February";
    Hooks().systemTime = UtcAt(2026, 3, 30, 12, 0);
    Tick(icon, 7000000);
    EXPECT_EQ(icon.label, "Month: 6.0M") << "still the month from 28 February";
    Hooks().systemTime = UtcAt(2026, 3, 31, 12, 0);
    Tick(icon, 7500000);
    EXPECT_EQ(icon.label, "Month: 500.0K");
}

TEST_F(UsageTest, AClockSetBackRemovesNoCountedTraffic) {
    Icon& icon = Start(0, 0);
    Advance(61);
    Tick(icon, 1000000);
    Hooks().systemTime = UtcAt(2026, 3, 10, 11, 0);
    Tick(icon, 2000000);
    EXPECT_EQ(Totals().received, 2000000);
    EXPECT_EQ(icon.label, "Today: 2.0M");
    Hooks().systemTime = UtcAt(2026, 3, 9, 12, 0);
    Tick(icon, 3000000);
    EXPECT_EQ(Totals().received, 3000000);
    EXPECT_EQ(icon.label, "Today: 1.0M") << "the day the clock went back to";
    Hooks().systemTime = UtcAt(2026, 3, 10, 12, 5);
    Tick(icon, 3000000);
    EXPECT_EQ(icon.label, "Today: 2.0M");
}

TEST_F(UsageTest, ADamagedFileIsMovedAsideWithItsJournalAndANewOneStarted) {
    CreateDirectoryA(scratch->File("AppData\\Vantrel Docklet").c_str(), nullptr);
    const std::string junk(8192, 'x');
    WriteFile(Database(), junk);
    WriteFile(Database() + "-wal", "wal");
    Icon& icon = Start(0, 0);
    EXPECT_EQ(ReadFile(Database() + ".damaged-20260310-120000"), junk);
    EXPECT_EQ(ReadFile(Database() + ".damaged-20260310-120000-wal"), "wal");
    Advance(61);
    Tick(icon, 1000000);
    EXPECT_EQ(Totals().received, 1000000);
    EXPECT_EQ(icon.label, "Today: 1.0M");
}

TEST_F(UsageTest, ADamagedFileThatCannotBeMovedYetCountsInMemoryUntilItCan) {
    CreateDirectoryA(scratch->File("AppData\\Vantrel Docklet").c_str(), nullptr);
    WriteFile(Database(), std::string(8192, 'x'));
    // Another dock holding the file: it cannot be renamed.
    HANDLE held = CreateFileA(Database().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Icon& icon = Start(0, 0);
    Advance(61);
    Tick(icon, 1000000);
    EXPECT_EQ(icon.label, "Today: 1.0M");
    EXPECT_EQ(GetFileAttributesA((Database() + ".damaged-20260310-120000").c_str()), INVALID_FILE_ATTRIBUTES);
    CloseHandle(held);
    Advance(61);
    Tick(icon, 1500000);
    EXPECT_NE(GetFileAttributesA((Database() + ".damaged-20260310-120202").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Totals().received, 1500000) << "what memory counted moved into the new file";
    EXPECT_EQ(icon.label, "Today: 1.5M");
}

TEST_F(UsageTest, AFolderThatCannotBeWrittenCountsInMemory) {
    WriteFile(scratch->File("plain"), "a file, not a folder");
    Hooks().localAppData = testdock::Widen(scratch->File("plain\\AppData"));
    Icon& icon = Start(0, 0);
    Advance(61);
    Tick(icon, 1000000);
    Advance(61);
    Tick(icon, 3000000);
    EXPECT_EQ(icon.label, "Today: 3.0M");
    Tick(icon, 3500000);
    EXPECT_EQ(icon.label, "Today: 3.5M");
}

TEST_F(UsageTest, ANewerReleasesFileIsLeftUntouched) {
    CreateDirectoryA(scratch->File("AppData\\Vantrel Docklet").c_str(), nullptr);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Database().c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE later(x); PRAGMA user_version=3;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string before = ReadFile(Database());
    Icon& icon = Start(0, 0);
    Advance(61);
    Tick(icon, 1000000);
    Advance(61);
    Tick(icon, 2000000);
    EXPECT_EQ(icon.label, "Today: 2.0M");
    dock->Destroy(icon);
    EXPECT_EQ(ReadFile(Database()), before);
    EXPECT_EQ(GetFileAttributesA((Database() + "-wal").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UsageTest, AFileLockedByAnotherProcessKeepsTheCountsForTheNextWrite) {
    Icon& icon = Start(0, 0);
    const std::string marker = scratch->File("locked");
    Launch(L"\"" + Folder([] {
               wchar_t program[MAX_PATH];
               GetModuleFileNameW(nullptr, program, MAX_PATH);
               return std::wstring(program);
           }()) + L"\\vantrel_usage_peer.exe\" lock \"" + testdock::Widen(Database()) + L"\" \"" +
               testdock::Widen(marker) + L"\" 3000",
           false);
    for (int i = 0; i < 300 && GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(50);
    }
    ASSERT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the other process holds no lock";
    Advance(61);
    const auto before = std::chrono::steady_clock::now();
    Tick(icon, 1000000);
    const auto blocked = std::chrono::steady_clock::now() - before;
    EXPECT_LT(blocked, std::chrono::milliseconds(2000)) << "the busy timeout is 250 ms";
    EXPECT_EQ(icon.label, "Today: 1.0M");
    WaitForSingleObject(peer_, 60000);
    EXPECT_EQ(Totals().received, 0);
    Advance(61);
    Tick(icon, 2000000);
    EXPECT_EQ(Totals().received, 2000000);
}

TEST_F(UsageTest, AllowanceWarningsShowThirtyTicksOncePerAdapterMonthAndAllowance) {
    const std::string oneGb = "LabelData=128\r\nUsageAllowance=1000\r\n";
    Icon& icon = Start(0, 0, oneGb);
    Tick(icon, 799999999);
    EXPECT_EQ(icon.label, "Today: 800.0M");
    Tick(icon, 800000000);
    EXPECT_EQ(icon.label, "Usage: 80% of allowance");
    for (int tick = 1; tick < 30; ++tick) {
        Tick(icon, 800000000);
        ASSERT_EQ(icon.label, "Usage: 80% of allowance") << tick;
    }
    Tick(icon, 800000000);
    EXPECT_EQ(icon.label, "Today: 800.0M");

    // Given once: not by a second icon on the adapter, nor by the icon started again.
    Icon& second = Start(800000000, 0, oneGb);
    EXPECT_EQ(second.label, "Today: 800.0M");
    dock->Destroy(icon);
    Icon& again = Start(800000000, 0, oneGb);
    Tick(again, 900000000);
    EXPECT_EQ(again.label, "Today: 900.0M");
    Tick(second, 1000000000);
    EXPECT_EQ(second.label, "Usage: allowance reached");
    Tick(again, 1000000000);
    EXPECT_EQ(again.label, "Today: 1.0G");

    // Another allowance warns afresh; a hidden label shows nothing, yet the warning is given.
    Icon& hidden = Start(1000000000, 0, "LabelData=129\r\nUsageAllowance=1200\r\n");
    EXPECT_EQ(hidden.label, "");
    Icon& shown = Start(1000000000, 0, "LabelData=128\r\nUsageAllowance=1200\r\n");
    EXPECT_EQ(shown.label, "Today: 1.0G");
    Tick(shown, 1200000000);
    EXPECT_EQ(shown.label, "Usage: allowance reached");
}

// The usage window opened from the menu, read while it is up.
struct UsageWindowSeen {
    std::map<int, std::wstring> texts;
    std::vector<std::vector<std::wstring>> months;
    SIZE chartRoom{};
    SIZE chartShown{};
    std::vector<uint32_t> chartPixels;  // top-down, 0xAARRGGBB
};

constexpr wchar_t kUsageCaption[] = L"Vantrel Docklet - Data Usage";

std::vector<std::vector<std::wstring>> ListRows(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        std::vector<std::wstring> row;
        for (int column = 0; column < 4; ++column) {
            wchar_t text[64] = {};
            LVITEMW entry{};
            entry.iSubItem = column;
            entry.pszText = text;
            entry.cchTextMax = 64;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
            row.emplace_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

void ReadChart(HWND dialog, UsageWindowSeen& seen) {
    const HWND chart = GetDlgItem(dialog, 1102);
    RECT client{};
    GetClientRect(chart, &client);
    seen.chartRoom = SIZE{client.right, client.bottom};
    const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(chart, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP header{};
    if (!bitmap || !GetObjectW(bitmap, sizeof header, &header)) {
        return;
    }
    seen.chartShown = SIZE{header.bmWidth, header.bmHeight};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), header.bmWidth, -header.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    seen.chartPixels.resize(static_cast<size_t>(header.bmWidth) * header.bmHeight);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, header.bmHeight, seen.chartPixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
}

// Pixels of `rgb` in the chart's columns of day `index` of `days`.
int ChartPixelsOf(const UsageWindowSeen& seen, int index, int days, uint32_t rgb) {
    int found = 0;
    const LONG width = seen.chartShown.cx;
    for (LONG y = 0; y < seen.chartShown.cy; ++y) {
        for (LONG x = width * index / days; x < width * (index + 1) / days; ++x) {
            found += (seen.chartPixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF) == rgb;
        }
    }
    return found;
}

double Amount(const std::wstring& text) {
    const double units[] = {1e3, 1e6, 1e9, 1e12};
    const size_t unit = std::wstring(L"KMGT").find(text.back());
    return std::wcstod(text.c_str(), nullptr) * (unit < 4 ? units[unit] : 0.0);
}

class UsageWindowTest : public UsageTest {
protected:
    // Chooses "Data Usage..." from the icon's menu; `whileOpen` runs in the
    // window's loop, and the window is read once `until` holds, then closed
    // with Escape.
    UsageWindowSeen OpenUsage(Icon& icon, const std::function<void(HWND)>& whileOpen = nullptr,
                              const testdock::Condition& until = nullptr) {
        UsageWindowSeen seen;
        testdock::DialogDriver driver(testdock::DialogTitled(kUsageCaption));
        driver
            .Do([&](HWND dialog) {
                if (whileOpen) {
                    whileOpen(dialog);
                }
            })
            .WaitUntil([&](HWND dialog) { return !until || until(dialog); }, 5000)
            .Do([&](HWND dialog) {
                for (int id = 1101; id <= 1131; ++id) {
                    if (GetDlgItem(dialog, id) && IsWindowVisible(GetDlgItem(dialog, id))) {
                        seen.texts[id] = testdock::ControlText(dialog, id);
                    }
                }
                seen.months = ListRows(GetDlgItem(dialog, 1103));
                ReadChart(dialog, seen);
                testdock::CloseDialog(dialog, testdock::Closing::EscapeKey);
            });
        ChooseUsage(icon);
        EXPECT_TRUE(driver.Done()) << "no usage window";
        return seen;
    }
    void ChooseUsage(Icon& icon) {
        Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return 16u; };
        EXPECT_TRUE(dock->RightClick(icon));
        Hooks().trackPopupMenu = nullptr;
    }
    void At(uint64_t time, Icon& icon, uint64_t received, uint64_t sent) {
        Hooks().systemTime = time;
        Tick(icon, received, sent);
    }
};

TEST_F(UsageWindowTest, ShowsTheDaysMonthsAndChartOfTheStoreAndWritesWhatIsPendingFirst) {
    Hooks().systemTime = UtcAt(2026, 1, 20, 12, 0);
    Icon& icon = Start(0, 0, "LabelData=128\r\nUsageAllowance=100000\r\nDownloadColor=255\r\nUploadColor=65280\r\n");
    At(UtcAt(2026, 1, 20, 12, 2), icon, 2000000000, 0);
    At(UtcAt(2026, 2, 15, 12, 0), icon, 5000000000, 0);
    At(UtcAt(2026, 3, 9, 12, 0), icon, 6000000000, 500000000);
    At(UtcAt(2026, 3, 10, 12, 0), icon, 10000000000, 500000000);
    Advance(20);
    Tick(icon, 10500000000, 500000000);
    ASSERT_EQ(Totals().received, 10000000000);

    const UsageWindowSeen seen = OpenUsage(icon, [](HWND dialog) {
        CreateDirectoryW(L"..\\build\\screenshots", nullptr);
        Sleep(300);  // let the window's own loop paint it
        EXPECT_TRUE(testdock::CaptureWindowPng(dialog, L"..\\build\\screenshots\\usage-window.png"));
    });
    EXPECT_EQ(Totals().received, 10500000000) << "the pending counts are written first";
    const std::map<int, std::wstring> expected{
        {1101, testdock::Widen(Adapter().description)},
        {1110, L"4.5G"}, {1111, L"0.0K"}, {1112, L"4.5G"},
        {1113, L"1.0G"}, {1114, L"500.0M"}, {1115, L"1.5G"},
        {1116, L"5.5G"}, {1117, L"500.0M"}, {1118, L"6.0G"},
        {1119, L"3.0G"}, {1120, L"0.0K"}, {1121, L"3.0G"},
        {1122, L"6.0G of 100.0G (6 %)"}, {1130, L"Allowance"}, {1131, L"At this pace"}};
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(seen.texts.count(id) ? seen.texts.at(id) : L"(hidden)", text) << id;
    }
    // Nine and a half days of 31 have passed, give or take the zone's offset.
    const double pace = Amount(seen.texts.count(1127) ? seen.texts.at(1127) : L"0K");
    EXPECT_TRUE(pace > 6.0e9 * 31 / 10.5 && pace < 6.0e9 * 31 / 9) << pace;
    EXPECT_EQ(seen.texts.at(1104), L"");
    EXPECT_EQ(seen.months, (std::vector<std::vector<std::wstring>>{
        {L"2026-03-01", L"5.5G", L"500.0M", L"6.0G"},
        {L"2026-02-01", L"3.0G", L"0.0K", L"3.0G"},
        {L"2026-01-01", L"2.0G", L"0.0K", L"2.0G"}}));

    // The chart is made for its control; download (red) and upload (green)
    // only on the days that had them, nothing on the days to come.
    EXPECT_EQ(seen.chartShown.cx, seen.chartRoom.cx);
    EXPECT_EQ(seen.chartShown.cy, seen.chartRoom.cy);
    ASSERT_FALSE(seen.chartPixels.empty());
    EXPECT_GT(ChartPixelsOf(seen, 9, 31, 0xFF0000), 0);
    EXPECT_EQ(ChartPixelsOf(seen, 9, 31, 0x00FF00), 0);
    EXPECT_GT(ChartPixelsOf(seen, 8, 31, 0xFF0000), 0);
    EXPECT_GT(ChartPixelsOf(seen, 8, 31, 0x00FF00), 0);
    EXPECT_EQ(ChartPixelsOf(seen, 0, 31, 0xFF0000), 0);
    EXPECT_EQ(ChartPixelsOf(seen, 20, 31, 0xFF0000), 0);
}

TEST_F(UsageWindowTest, FollowsTheLiveCountAndASecondRequestRaisesIt) {
    Icon& icon = Start(0, 0);
    Tick(icon, 1000000, 0);
    size_t opened = 0;
    const UsageWindowSeen seen = OpenUsage(
        icon,
        [&](HWND) {
            Tick(icon, 3000000, 2000000);
            // A second request while it is up: no second window.
            ChooseUsage(icon);
            opened = Hooks().dialogCalls.size();
        },
        testdock::TextIs(1112, L"5.0M"));
    EXPECT_EQ(seen.texts.at(1110), L"3.0M");
    EXPECT_EQ(seen.texts.at(1111), L"2.0M");
    EXPECT_EQ(seen.texts.at(1112), L"5.0M");
    EXPECT_EQ(opened, 1u);
    EXPECT_EQ(seen.texts.count(1130), 0u) << "no allowance, no allowance rows";
}

TEST_F(UsageWindowTest, AnAdapterNeverCountedShowsZerosAndNoMonths) {
    Icon& fresh = dock->CreateIcon();
    const UsageWindowSeen seen = OpenUsage(fresh);
    EXPECT_EQ(seen.texts.at(1116), L"0.0K");
    EXPECT_EQ(seen.texts.at(1121), L"0.0K");
    EXPECT_TRUE(seen.months.empty());
    EXPECT_EQ(seen.texts.at(1104), L"");
}

TEST_F(UsageWindowTest, AFolderThatCannotBeWrittenSaysSoAndShowsWhatMemoryCounted) {
    WriteFile(scratch->File("plain"), "a file, not a folder");
    Hooks().localAppData = testdock::Widen(scratch->File("plain\\AppData"));
    Icon& icon = Start(0, 0);
    Tick(icon, 7000000, 0);
    const UsageWindowSeen seen = OpenUsage(icon);
    EXPECT_EQ(seen.texts.at(1110), L"7.0M") << "memory's counts still show";
    EXPECT_EQ(seen.texts.at(1104), L"Usage is not being saved: the folder cannot be written.");
    EXPECT_EQ(seen.months.size(), 1u);
}

TEST_F(UsageWindowTest, ExportWritesADayPerRowOverTheChosenFile) {
    Hooks().systemTime = UtcAt(2026, 1, 20, 12, 0);
    Icon& icon = Start(0, 0);
    At(UtcAt(2026, 1, 20, 12, 2), icon, 2000000000, 0);
    At(UtcAt(2026, 2, 15, 12, 0), icon, 5000000000, 0);
    At(UtcAt(2026, 3, 10, 12, 0), icon, 6000000000, 500000000);
    Advance(20);
    Tick(icon, 6000000123, 500000000);
    // The description as a user may have it: quotes and a character no file name holds.
    wcscpy(static_cast<DockletInstance*>(icon.instance)->interfaceDescription, L"Test \"Fast\" Adapter: 2");
    const std::string target = scratch->File("exported.csv");
    WriteFile(target, "an older export, longer than nothing");
    std::wstring owner;
    Hooks().saveFileName = [&](const testdock::SaveFileCall& call) {
        owner = testdock::WindowText(call.owner);
        return testdock::Widen(target);
    };
    OpenUsage(icon, [&](HWND dialog) { testdock::ClickControl(dialog, 1105); },
              [&](HWND) { return !Hooks().saveFileCalls.empty(); });
    Hooks().saveFileName = nullptr;

    ASSERT_EQ(Hooks().saveFileCalls.size(), 1u);
    const testdock::SaveFileCall& call = Hooks().saveFileCalls[0];
    EXPECT_EQ(call.initialName, L"usage-Test _Fast_ Adapter_ 2.csv");
    EXPECT_TRUE(call.flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(call.versionSixControls);
    EXPECT_EQ(owner, kUsageCaption);
    const std::string adapter = ",\"Test \"\"Fast\"\" Adapter: 2\",";
    EXPECT_EQ(ReadFile(target), "date,adapter,downloaded_bytes,uploaded_bytes\r\n"
                                "2026-01-20" + adapter + "2000000000,0\r\n"
                                "2026-02-15" + adapter + "3000000000,0\r\n"
                                "2026-03-10" + adapter + "1000000123,500000000\r\n");
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(scratch->File("*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left";
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

TEST_F(UsageWindowTest, AnExportThatFailsSaysWhyOnceAndLeavesNoFile) {
    Icon& icon = Start(0, 0);
    Tick(icon, 1000000);
    const std::string target = scratch->File("missing\\exported.csv");
    Hooks().saveFileName = [&](const testdock::SaveFileCall&) { return testdock::Widen(target); };
    std::wstring message;
    int boxes = 0;
    testdock::DialogDriver box(testdock::DialogTitled(L"Vantrel Docklet - Export"));
    box.EveryOpening().Do([&](HWND shown) {
        ++boxes;
        for (HWND child = GetWindow(shown, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            message += testdock::WindowText(child);
        }
        testdock::PressKey(shown, VK_RETURN);
    });
    OpenUsage(icon, [&](HWND dialog) { testdock::ClickControl(dialog, 1105); }, [&](HWND) { return boxes > 0; });
    Hooks().saveFileName = nullptr;
    EXPECT_EQ(boxes, 1);
    EXPECT_NE(message.find(L"The usage could not be exported."), std::wstring::npos);
    EXPECT_GT(message.size(), wcslen(L"The usage could not be exported.") + 4) << "with the system's reason";
    EXPECT_EQ(GetFileAttributesA(scratch->File("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Run by their own CTest entries, with TZ set.
class UsageZone : public UsageTest {};

TEST_F(UsageZone, MidnightHalfAnHourOffTheHourInKolkata) {
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, -330) << "run with TZ=Asia/Kolkata";
    // 23:58 local is 18:28 UTC.
    Hooks().systemTime = UtcAt(2026, 3, 10, 18, 28);
    Icon& today = Start(0, 0);
    Icon& month = Start(0, 0, "LabelData=256\r\n");
    Advance(61);
    Tick(today, 1000000);
    Tick(month, 1000000);
    EXPECT_EQ(today.label, "Today: 1.0M");
    Hooks().systemTime = UtcAt(2026, 3, 10, 18, 31);
    Tick(today, 3000000);
    Tick(month, 3000000);
    EXPECT_EQ(today.label, "Today: 2.0M");
    EXPECT_EQ(month.label, "Month: 3.0M");
}

TEST_F(UsageZone, ADaylightSavingDayHas23HoursInBerlin) {
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, -60) << "run with TZ=Europe/Berlin";
    // 23:58 on 28 March, the day before summer time starts.
    Hooks().systemTime = UtcAt(2026, 3, 28, 22, 58);
    Icon& icon = Start(0, 0);
    Advance(61);
    Tick(icon, 1000000);
    // 00:01 on 29 March, then 23:59 CEST, 21:59 UTC: the same day.
    Hooks().systemTime = UtcAt(2026, 3, 28, 23, 1);
    Tick(icon, 3000000);
    EXPECT_EQ(icon.label, "Today: 2.0M");
    Hooks().systemTime = UtcAt(2026, 3, 29, 21, 59);
    Tick(icon, 7000000);
    EXPECT_EQ(icon.label, "Today: 6.0M");
    // 00:01 on 30 March.
    Hooks().systemTime = UtcAt(2026, 3, 29, 22, 1);
    Tick(icon, 15000000);
    EXPECT_EQ(icon.label, "Today: 8.0M");
}

}  // namespace
}  // namespace vantrel_test
