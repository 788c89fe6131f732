// Shared set-up of the integration tests: a fresh test dock with the module
// loaded, clean hooks and counters, and a scratch folder for settings files.
#pragma once

#include "test_dock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel_test {

using testdock::EventKind;
using testdock::Hooks;
using testdock::Icon;
using testdock::TestDock;
using testdock::TimerCall;

constexpr UINT_PTR kSlowTimer = 123224;
constexpr UINT_PTR kFastTimer = 123225;

// A scratch folder under the Wine user's temp folder, removed afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& leaf = "vantrel-test");
    ~ScratchFolder();
    const std::string& Path() const { return path_; }  // ends with a backslash
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& ansiPath);
void WriteFile(const std::string& ansiPath, const std::string& content);

class DockTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the dock SetUp made (before any icon) with one of another mode, on the same module.
    void Redock(const testdock::DockMode& mode);
    // A dock of another kind in place of this one, on the same module.
    void ReopenDock(const testdock::DockMode& mode);
    // The full path of the module under test.
    std::wstring ModulePath() const;

    std::vector<TimerCall> TimerCallsFor(const Icon& icon) const;
    // True when the last SetTimer/KillTimer for id on the icon's window set it.
    bool TimerRunning(const Icon& icon, UINT_PTR id) const;

    std::unique_ptr<TestDock> dock;
    std::unique_ptr<ScratchFolder> scratch;
};

}  // namespace vantrel_test
