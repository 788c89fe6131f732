#include "dock_fixture.h"

#include <atomic>
#include <filesystem>

namespace vantrel_test {

namespace {
std::atomic<int> scratchCounter{0};

// The module under test: the file VANTREL_MODULE names (the shipped one, in the
// i686 run), else VantrelDocklet.dll beside the test program.
std::wstring NamedModule() {
    wchar_t named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"VANTREL_MODULE", named, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return L"";
    }
    wchar_t full[MAX_PATH] = {};
    const DWORD fullLength = GetFullPathNameW(named, MAX_PATH, full, nullptr);
    return fullLength > 0 && fullLength < MAX_PATH ? full : named;
}
}  // namespace

ScratchFolder::ScratchFolder(const std::string& leaf) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + leaf + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(scratchCounter++) + "\\";
    // Wine hands out process ids again: a folder that a killed run left under
    // the same name would bring its files into this test.
    if (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS) {
        std::error_code ignored;
        std::filesystem::remove_all(testdock::Widen(path_.substr(0, path_.size() - 1)), ignored);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(testdock::Widen(path_.substr(0, path_.size() - 1)), ignored);
}

std::string ReadFile(const std::string& ansiPath) {
    std::ifstream in(testdock::Widen(ansiPath).c_str(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& ansiPath, const std::string& content) {
    std::ofstream out(testdock::Widen(ansiPath).c_str(), std::ios::binary);
    out << content;
}

void DockTest::SetUp() {
    {
        const std::lock_guard<std::mutex> lock(testdock::HooksLock());
        Hooks() = testdock::SystemHooks{};
    }
    testdock::Counters() = testdock::ImageCounters{};
    const std::wstring named = NamedModule();
    dock = named.empty() ? std::make_unique<TestDock>() : std::make_unique<TestDock>(named);
    ASSERT_TRUE(dock->Loaded()) << (named.empty() ? "VantrelDocklet.dll must sit beside the test program"
                                                  : "VANTREL_MODULE names no loadable module");
    if (!named.empty()) {
        wchar_t loaded[MAX_PATH] = {};
        GetModuleFileNameW(dock->Module(), loaded, MAX_PATH);
        ASSERT_EQ(lstrcmpiW(loaded, named.c_str()), 0) << "the dock loaded another file than VANTREL_MODULE";
    }
    scratch = std::make_unique<ScratchFolder>();
    // The usage database of each test in a folder of its own.
    Hooks().localAppData = testdock::Widen(scratch->File("AppData"));
    CreateDirectoryW(Hooks().localAppData.c_str(), nullptr);
}

void DockTest::Redock(const testdock::DockMode& mode) {
    dock.reset();
    testdock::Counters() = testdock::ImageCounters{};
    const std::wstring named = NamedModule();
    dock = std::make_unique<TestDock>(named.empty() ? L"VantrelDocklet.dll" : named, mode);
    ASSERT_TRUE(dock->Loaded());
}

void DockTest::ReopenDock(const testdock::DockMode& mode) {
    dock.reset();
    const std::wstring named = NamedModule();
    dock = std::make_unique<TestDock>(named.empty() ? L"VantrelDocklet.dll" : named, mode);
}

std::wstring DockTest::ModulePath() const {
    const std::wstring named = NamedModule();
    if (!named.empty()) {
        return named;
    }
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"VantrelDocklet.dll";
}

void DockTest::TearDown() {
    const std::wstring path = ModulePath();
    dock.reset();
    // With everything of it given back, the module goes, and the next dock
    // meets it fresh. A lookup still under way holds it until it ends.
    const DWORD start = GetTickCount();
    while (GetModuleHandleW(path.c_str()) && GetTickCount() - start < 10000) {
        Sleep(20);
    }
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "something still holds the module";
    // Whatever the dock's image family, every overlay it got was readable in
    // it, and every image went back by its rule, once.
    const testdock::ImageCounters& images = testdock::Counters();
    EXPECT_EQ(images.malformedOverlays, 0);
    EXPECT_EQ(images.flatVtableCalls, 0);
    EXPECT_EQ(images.deletedTwice, 0);
    EXPECT_EQ(images.Live(), 0) << "pictures the dock loaded for the module";
    EXPECT_EQ(images.LiveOverlays(), 0);
    scratch.reset();
    const std::lock_guard<std::mutex> lock(testdock::HooksLock());
    Hooks() = testdock::SystemHooks{};
}

std::vector<TimerCall> DockTest::TimerCallsFor(const Icon& icon) const {
    std::vector<TimerCall> calls;
    for (const TimerCall& call : Hooks().timerCalls) {
        if (call.hwnd == icon.hwnd) {
            calls.push_back(call);
        }
    }
    return calls;
}

bool DockTest::TimerRunning(const Icon& icon, UINT_PTR id) const {
    bool running = false;
    for (const TimerCall& call : TimerCallsFor(icon)) {
        if (call.id == id) {
            running = call.set;
        }
    }
    return running;
}

}  // namespace vantrel_test
