#include "dock_fixture.h"

#include <atomic>
#include <filesystem>

namespace vantrel_test {

namespace {
std::atomic<int> scratchCounter{0};
}  // namespace

ScratchFolder::ScratchFolder(const std::string& leaf) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + leaf + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(scratchCounter++) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
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
    Hooks() = testdock::SystemHooks{};
    testdock::Counters() = testdock::ImageCounters{};
    dock = std::make_unique<TestDock>();
    ASSERT_TRUE(dock->Loaded()) << "VantrelDocklet.dll must sit beside the test program";
    scratch = std::make_unique<ScratchFolder>();
}

void DockTest::TearDown() {
    dock.reset();
    scratch.reset();
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
