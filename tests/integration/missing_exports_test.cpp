// A dock that lacks one host function: each icon still lives its whole life
// (ticks, menu, sheet, save, destroy), and loses only what that function shows.
#include "sheet_fixture.h"

#include "base/docklet_instance.h"
#include "process_use.h"

#include <algorithm>

namespace vantrel_test {
namespace {

using testdock::MenuCall;

constexpr UINT kShowIpAddressEntry = 9;
constexpr UINT kRemoveEntry = 14;

class MissingExportTest : public SheetTest, public ::testing::WithParamInterface<const char*> {
protected:
    bool Missing(const char* name) const { return std::string(GetParam()) == name; }
};

TEST_P(MissingExportTest, CostsOnlyWhatItWouldShow) {
    testdock::DockMode mode = dock->mode;
    if (mode.images == testdock::ImageFamily::Flat &&
        (Missing("DockletLoadGDIPlusImage") || Missing("DockletGetRootFolder") || Missing("DockletGetRelativeFolder"))) {
        GTEST_SKIP() << "a flat dock that loads no picture for the module gets Microsoft's objects, which it cannot "
                        "read (DockFamilyTest covers it)";
    }
    mode.missingExports = {GetParam()};
    Redock(mode);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\nCommand=C:\\Tools\\netmon.exe\r\n");
    ServeCounters(2, 9000, 6000);
    dock->Tick(icon, kFastTimer);
    dock->Tick(icon, kSlowTimer);
    EXPECT_TRUE(dock->LeftClick(icon));
    EXPECT_EQ(Hooks().shellCalls.size(), 1u);

    std::vector<UINT> entries;
    Hooks().trackPopupMenu = [&](const MenuCall& call) {
        for (const testdock::MenuEntry& entry : call.entries) {
            entries.push_back(entry.id);
        }
        return kShowIpAddressEntry;
    };
    EXPECT_TRUE(dock->RightClick(icon));
    Hooks().trackPopupMenu = nullptr;
    const bool removeShown = std::find(entries.begin(), entries.end(), kRemoveEntry) != entries.end();
    EXPECT_EQ(removeShown, !Missing("DockletRemoveSelf"));
    EXPECT_EQ(entries.size(), removeShown ? 17u : 16u);
    EXPECT_EQ(static_cast<DockletInstance*>(icon.instance)->dockletData, kDefaultDockletData ^ kShowIpAddress);

    Configure(icon, [](HWND sheet) { testdock::PressOk(sheet); });
    EXPECT_EQ(Saved(icon, "DockletData"), std::to_string(kDefaultDockletData ^ kShowIpAddress));

    // The composed overlay nobody takes over is freed at once.
    if (Missing("DockletSetImageOverlay")) {
        const testdock::ProcessUse before = testdock::MeasureProcess();
        for (int second = 3; second < 43; ++second) {
            ServeCounters(second, 9000u * second * second, 6000);
            dock->Tick(icon, kFastTimer);
        }
        const testdock::ProcessUse after = testdock::MeasureProcess();
        EXPECT_LT(after.privateBytes, before.privateBytes + (4u << 20)) << "40 overlays of 256 KiB";
    }
    dock->Destroy(icon);

    EXPECT_EQ(icon.Count(EventKind::Label) > 0, !Missing("DockletSetLabel"));
    EXPECT_EQ(icon.label.rfind("Download: ", 0) == 0, !Missing("DockletSetLabel")) << icon.label;
    EXPECT_EQ(icon.Count(EventKind::AttentionAnimation), Missing("DockletDoAttentionAnimation") ? 0 : 1);
    EXPECT_EQ(icon.Count(EventKind::Overlay) > 0, !Missing("DockletSetImageOverlay"));
    EXPECT_EQ(icon.Count(EventKind::LockMouseEffect), Missing("DockletLockMouseEffect") ? 0 : 2);
    EXPECT_EQ(icon.Count(EventKind::RootFolder) > 0, !Missing("DockletGetRootFolder"));
    EXPECT_EQ(icon.Count(EventKind::RelativeFolder) > 0, !Missing("DockletGetRelativeFolder"));
    // Without a folder the paths are only shorter, never garbage.
    const std::string relative = Missing("DockletGetRelativeFolder") ? "" : "Docklets\\Vantrel\\";
    EXPECT_EQ(icon.imageFile, Missing("DockletSetImageFile") ? "" : relative + "icons\\background.png");
    // Pictures are found through the root folder and loaded by the dock.
    const bool picturesLoaded = std::any_of(dock->looseEvents.begin(), dock->looseEvents.end(),
                                            [](const testdock::Event& event) { return event.number == 1; });
    EXPECT_EQ(picturesLoaded, !Missing("DockletLoadGDIPlusImage") && !Missing("DockletGetRootFolder") &&
                                  !Missing("DockletGetRelativeFolder"));
    EXPECT_TRUE(icon.afterDestroy.empty());
}

INSTANTIATE_TEST_SUITE_P(EachHostFunction, MissingExportTest,
                         ::testing::Values("DockletSetLabel", "DockletSetImageOverlay", "DockletSetImageFile",
                                           "DockletLoadGDIPlusImage", "DockletLockMouseEffect",
                                           "DockletDoAttentionAnimation", "DockletGetRootFolder",
                                           "DockletGetRelativeFolder", "DockletRemoveSelf"),
                         [](const ::testing::TestParamInfo<const char*>& named) { return std::string(named.param); });

}  // namespace
}  // namespace vantrel_test
