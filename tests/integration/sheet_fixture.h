// Icons with the shipped image sets, configured through the settings sheet,
// their settings read back the way the dock stores them.
#pragma once

#include "refresh_fixture.h"
#include "dialog_driver.h"

namespace vantrel_test {

// Tabs of the sheet.
enum SheetPage { kGeneral = 0, kIcon = 1, kFont = 2, kGraph = 3, kUsage = 4 };

class SheetTest : public RefreshTest {
protected:
    void SetUp() override;

    // Opens the icon's sheet and runs script on it; fails the test when no sheet came up.
    void Configure(Icon& icon, const testdock::DialogDriver::Action& script);
    // Every key as OnSave writes it, or one key's value.
    std::string SavedFile(Icon& icon);
    std::string Saved(Icon& icon, const char* key);
    int LoadsOf(const std::string& fileEnd) const;
};

}  // namespace vantrel_test
