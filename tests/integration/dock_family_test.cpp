// Docks of either image family: what the module learns from the pictures the
// dock loads for it, what it hands over, and how every image goes back.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"

#include <algorithm>

namespace vantrel_test {
namespace {

using testdock::DockMode;
using testdock::ImageFamily;

DockMode FlatDock() {
    DockMode mode;
    mode.images = ImageFamily::Flat;
    return mode;
}

int Ink(const std::vector<uint32_t>& pixels) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t argb) { return argb >> 24; }));
}

class DockFamilyTest : public RefreshTest {
protected:
    // An icon receiving data, so that recv.png is drawn into its overlay.
    Icon& ReceivingIcon(const std::string& extraLines = "") {
        ServeCounters(0, 0, 0);
        ServeCounters(1, 90000, 0);
        return CreateConfiguredIcon("DockletData=0\r\n" + extraLines);
    }
};

TEST_F(DockFamilyTest, FlatDockReadsEveryOverlayAsAHandleAndGetsItsPicturesBackThroughGdipDisposeImage) {
    Redock(FlatDock());
    Icon& icon = ReceivingIcon();
    const testdock::ImageCounters& images = testdock::Counters();
    EXPECT_EQ(images.created, 2) << "send.png and recv.png";
    ASSERT_GE(icon.Count(EventKind::Overlay), 1);
    EXPECT_EQ(icon.EventsOf(EventKind::Overlay).back()->width, 256);
    EXPECT_GT(Ink(dock->OverlayPixels(icon)), 1000) << "recv.png, a flat handle, drawn by the module";

    // Each new overlay replaces the last, which the dock disposes of.
    for (int second = 2; second <= 4; ++second) {
        ServeCounters(second, 90000u * second * second, 1000u * second);
        dock->Tick(icon, kFastTimer);
    }
    EXPECT_GE(images.overlaysReceived, 3);
    EXPECT_EQ(images.LiveOverlays(), 1);
    EXPECT_EQ(images.malformedOverlays, 0);

    dock->Destroy(icon);
    EXPECT_EQ(images.deleted, 2) << "released with GdipDisposeImage";
    EXPECT_EQ(images.LiveOverlays(), 0);
}

// A flat handle whose first field points into a module other than GDI+ looks
// like a vtable; only GDI+'s answer on the second field decides, and nothing
// is ever called through it.
TEST_F(DockFamilyTest, FlatPicturesThatLookLikeObjectsAreNeverCalledInto) {
    Redock(FlatDock());
    dock->disguiseFlatImages = true;
    Icon& icon = ReceivingIcon();
    const testdock::ImageCounters& images = testdock::Counters();
    EXPECT_EQ(images.created, 2);
    EXPECT_EQ(images.familyProbes, 1);
    EXPECT_EQ(images.malformedOverlays, 0) << "the family was learnt as flat";
    EXPECT_GT(Ink(dock->OverlayPixels(icon)), 1000);
    dock->Destroy(icon);
    EXPECT_EQ(images.flatVtableCalls, 0);
    EXPECT_EQ(images.deleted, 2);
}

// In the dock of the run's own mode.
TEST_F(DockFamilyTest, TheFamilyIsLearntOnceForEveryIconAndSet) {
    Icon& first = ReceivingIcon();
    Icon& mono = ReceivingIcon("ImagesFolder=mono\r\n");
    const std::string ini = scratch->File("dock.ini");
    dock->Recreate(first, ini.c_str(), "Icon");
    const testdock::ImageCounters& images = testdock::Counters();
    EXPECT_EQ(images.created, 6);
    EXPECT_EQ(images.Live(), 6 - 2);
    EXPECT_EQ(images.familyProbes, 1);
    EXPECT_GT(Ink(dock->OverlayPixels(mono)), 1000);
}

TEST_F(DockFamilyTest, ADockWithoutTheLoaderGetsMicrosoftObjects) {
    DockMode mode;
    mode.missingExports = {"DockletLoadGDIPlusImage"};
    Redock(mode);
    Icon& icon = ReceivingIcon();
    EXPECT_EQ(testdock::Counters().created, 0);
    ASSERT_GE(icon.Count(EventKind::Overlay), 1);
    EXPECT_EQ(icon.EventsOf(EventKind::Overlay).back()->width, 256);
    EXPECT_EQ(testdock::Counters().malformedOverlays, 0);
}

// Until a picture has loaded the dock gets Microsoft's objects (which a flat
// dock cannot read); the first refresh after the loader answers learns better.
TEST_F(DockFamilyTest, AFlatDockWhoseLoaderFailsAtFirstGetsHandlesFromTheNextRefreshOn) {
    Redock(FlatDock());
    Hooks().missingHostFunctions = {"DockletLoadGDIPlusImage"};
    ServeCounters(0, 0, 0);
    ServeCounters(1, 90000, 0);
    Icon& icon = CreateConfiguredIcon();  // the rates shown change the overlay every tick
    testdock::ImageCounters& images = testdock::Counters();
    const int unreadable = images.malformedOverlays;
    EXPECT_GE(unreadable, 1);

    Hooks().missingHostFunctions.clear();
    for (int second = 2; second <= 3; ++second) {
        ServeCounters(second, 400000u * second * second, 0);
        dock->Tick(icon, kFastTimer);
    }
    EXPECT_EQ(images.created, 1) << "one picture, to learn from";
    EXPECT_EQ(images.deleted, 1);
    EXPECT_EQ(images.malformedOverlays, unreadable);
    EXPECT_EQ(icon.EventsOf(EventKind::Overlay).back()->width, 256);
    dock->Destroy(icon);
    // The objects the dock could not read were its loss, not a leak of the module's.
    images.overlaysReceived -= unreadable;
    images.malformedOverlays = 0;
}

// A dock that forwards every message of the icon's window, its menu loop's
// and the module's own WM_NULL included: the module acts on its timers alone.
TEST_F(DockFamilyTest, EveryForwardedMessageButItsTimersLeavesTheIconAlone) {
    DockMode mode = dock->mode;
    mode.forwardEveryMessage = true;
    Redock(mode);
    ServeCounters(0, 0, 0);
    ServeCounters(1, 1000, 1000);
    Icon& icon = CreateConfiguredIcon();
    Hooks().ClearLog();
    icon.events.clear();
    for (const UINT message : {WM_NULL, WM_INITMENUPOPUP, WM_ENTERMENULOOP, WM_MENUSELECT, WM_EXITMENULOOP,
                               WM_UNINITMENUPOPUP, WM_COMMAND, WM_PAINT}) {
        SendMessageW(icon.hwnd, message, kFastTimer, 0);
    }
    SendMessageW(icon.hwnd, WM_TIMER, kFastTimer + 7, 0);
    EXPECT_TRUE(icon.events.empty());
    EXPECT_TRUE(Hooks().timerCalls.empty());

    Hooks().realMenus = true;
    testdock::DialogDriver menu(testdock::PopupMenu());
    menu.Do([](HWND shown) {
        testdock::PressKey(shown, VK_HOME);
        testdock::PressKey(shown, VK_RETURN);
    });
    EXPECT_TRUE(dock->RightClick(icon));
    EXPECT_TRUE(menu.Done());
    dock->Pump(100);
    for (const UINT message : {WM_INITMENUPOPUP, WM_ENTERMENULOOP, WM_MENUSELECT, WM_NULL}) {
        EXPECT_NE(std::find(icon.forwarded.begin(), icon.forwarded.end(), message), icon.forwarded.end())
            << "message " << message;
    }
    // "Update Now" hands everything over again, once.
    EXPECT_EQ(icon.Count(EventKind::Label), 1);
    EXPECT_EQ(icon.Count(EventKind::ImageFile), 1);
    EXPECT_GE(icon.Count(EventKind::Overlay), 1);

    dock->Destroy(icon);
    SendMessageW(icon.hwnd, WM_TIMER, kFastTimer, 0);
    dock->Pump(50);
    EXPECT_TRUE(icon.afterDestroy.empty());
}

}  // namespace
}  // namespace vantrel_test
