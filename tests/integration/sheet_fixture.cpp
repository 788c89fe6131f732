#include "sheet_fixture.h"

namespace vantrel_test {

void SheetTest::SetUp() {
    RefreshTest::SetUp();
    char full[MAX_PATH];
    GetFullPathNameA("..\\dist\\", MAX_PATH, full, nullptr);
    dock->rootFolder = full;
    dock->relativeFolder = "VantrelDocklet\\";
    ServeCounters(0, 0, 0);
    ServeCounters(1, 1000, 1000);
}

void SheetTest::Configure(Icon& icon, const testdock::DialogDriver::Action& script) {
    testdock::DialogDriver driver(testdock::SettingsSheetOf(icon.hwnd));
    driver.Do(script);
    dock->Configure(icon);
    EXPECT_TRUE(driver.Done()) << "no sheet came up";
}

std::string SheetTest::SavedFile(Icon& icon) {
    const std::string ini = scratch->File("saved.ini");
    DeleteFileA(ini.c_str());
    dock->Save(icon, ini.c_str(), "Saved", false);
    return ReadFile(ini);
}

std::string SheetTest::Saved(Icon& icon, const char* key) {
    SavedFile(icon);
    char value[4096] = "";
    GetPrivateProfileStringA("Saved", key, "", value, sizeof value, scratch->File("saved.ini").c_str());
    return value;
}

int SheetTest::LoadsOf(const std::string& fileEnd) const {
    int loads = 0;
    for (const testdock::Event& event : dock->looseEvents) {
        loads += event.kind == EventKind::LoadImage && event.text.size() >= fileEnd.size() &&
                 event.text.compare(event.text.size() - fileEnd.size(), fileEnd.size(), fileEnd) == 0;
    }
    return loads;
}

}  // namespace vantrel_test
