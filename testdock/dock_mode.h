// The ways docks we did not write differ from ours. A test picks a mode for its
// own dock; CTest runs whole suites in a mode through VANTREL_DOCK_MODE.
#pragma once

#include <string>
#include <vector>

namespace testdock {

enum class ImageFamily {
    Msvc,  // Gdiplus::Image objects as Microsoft's compiler lays them out
    Flat,  // bare GpImage* handles, released with GdipDisposeImage
};

struct DockMode {
    ImageFamily images = ImageFamily::Msvc;
    // Host callbacks the dock does not export, by name.
    std::vector<std::string> missingExports;
    // Every message of the icon's window goes to OnProcessMessage, not only WM_TIMER.
    bool forwardEveryMessage = false;
    // FreeLibrary inside the window's WM_DESTROY, right after the last OnDestroy.
    bool unloadInWindowDestroy = false;
    // OnGetInformation in a load of its own (LoadLibrary, the call,
    // FreeLibrary), as a dock's settings window makes it.
    bool separateInformationLoads = false;
    // The system DPI the tests expect the prefix to report (LogPixels).
    int dpi = 96;
};

// VANTREL_DOCK_MODE, words separated by commas: "flat", "forward-all",
// "unload-in-destroy", "information-loads", "missing=DockletName", "dpi=144". Unset: our own dock.
DockMode ModeFromEnvironment();

}  // namespace testdock
