// Another dock of the same user, in a process of its own, for the usage tests:
//
//   vantrel_usage_peer dock MODULE APPDATA INI TIME UPTIME R0 S0 R1 S1 destroy|kill
//     starts an icon on the scripted adapter at counters R0/S0 (clock TIME in
//     FILETIME units, uptime UPTIME ms), ticks once at R1/S1, then destroys the
//     icon, or ends the process without telling the module (a dock killed);
//   vantrel_usage_peer lock DATABASE MARKER MILLISECONDS
//     holds BEGIN EXCLUSIVE on the database, makes MARKER, and lets go after the time.
#include "served_system.h"
#include "support/perf_block_builder.h"
#include "test_dock.h"

#include <sqlite3.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int64_t kFrequency = 10000000;
constexpr UINT_PTR kFastTimer = 123225;

uint64_t Number(const wchar_t* text) { return std::wcstoull(text, nullptr, 10); }

std::string Narrow(const wchar_t* text) {
    char narrow[1024];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

int RunDock(wchar_t** argv) {
    testdock::SystemHooks& hooks = testdock::Hooks();
    hooks.localAppData = argv[3];
    hooks.systemTime = Number(argv[5]);
    hooks.uptimeMs = Number(argv[6]);
    testdock::TestDock dock(argv[2]);
    if (!dock.Loaded()) {
        return 2;
    }
    testdock::AdapterServer adapters;
    adapters.adapters.push_back(testdock::AdapterPlan{});
    testdock::PerfDataServer perf;
    perf.Install(hooks);
    adapters.Install(hooks);
    const std::wstring name(adapters.adapters[0].description.begin(), adapters.adapters[0].description.end());
    auto serve = [&](int seconds, uint64_t received, uint64_t sent) {
        perf.Push(BuildPerfBlock(
            NetworkInterfaceBlock({{name, received + sent, received, sent, 100000000}}, seconds * kFrequency, kFrequency)));
    };
    serve(0, Number(argv[7]), Number(argv[8]));
    serve(1, Number(argv[7]), Number(argv[8]));
    const std::string ini = Narrow(argv[4]);
    testdock::Icon& icon = dock.CreateIcon(ini.c_str(), "Icon");
    serve(2, Number(argv[9]), Number(argv[10]));
    dock.Tick(icon, kFastTimer);
    if (std::wstring(argv[11]) == L"kill") {
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 0);
    }
    dock.Destroy(icon);
    return 0;
}

int HoldLock(wchar_t** argv) {
    sqlite3* db = nullptr;
    if (sqlite3_open(Narrow(argv[2]).c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return 3;
    }
    CloseHandle(CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(static_cast<DWORD>(Number(argv[4])));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 12 && std::wstring(argv[1]) == L"dock") {
        return RunDock(argv);
    }
    if (argc == 5 && std::wstring(argv[1]) == L"lock") {
        return HoldLock(argv);
    }
    std::fprintf(stderr, "usage: vantrel_usage_peer dock ... | lock ...\n");
    return 1;
}
