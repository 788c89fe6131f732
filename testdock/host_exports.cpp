// The nine host callbacks, exported by name from the program, as a dock
// exports them for its docklets.
#include "test_dock.h"

using testdock::TestDock;

extern "C" {

__declspec(dllexport) void WINAPI DockletSetLabel(HWND hwnd, char* text) {
    if (TestDock* dock = TestDock::Active()) dock->OnSetLabel(hwnd, text);
}

__declspec(dllexport) void WINAPI DockletSetImageOverlay(HWND hwnd, void* image, BOOL autoDelete) {
    if (TestDock* dock = TestDock::Active()) dock->OnSetImageOverlay(hwnd, image, autoDelete);
}

__declspec(dllexport) void WINAPI DockletSetImageFile(HWND hwnd, char* path) {
    if (TestDock* dock = TestDock::Active()) dock->OnSetImageFile(hwnd, path);
}

// A Gdiplus::Image object or a flat handle, by the dock's image family.
__declspec(dllexport) void* WINAPI DockletLoadGDIPlusImage(char* path) {
    TestDock* dock = TestDock::Active();
    return dock ? dock->OnLoadImage(path) : nullptr;
}

__declspec(dllexport) void WINAPI DockletLockMouseEffect(HWND hwnd, BOOL lock) {
    if (TestDock* dock = TestDock::Active()) dock->OnLockMouseEffect(hwnd, lock);
}

__declspec(dllexport) void WINAPI DockletDoAttentionAnimation(HWND hwnd) {
    if (TestDock* dock = TestDock::Active()) dock->OnAttentionAnimation(hwnd);
}

__declspec(dllexport) void WINAPI DockletGetRootFolder(HWND hwnd, char* buffer) {
    if (TestDock* dock = TestDock::Active()) dock->OnGetRootFolder(hwnd, buffer);
}

__declspec(dllexport) void WINAPI DockletGetRelativeFolder(HWND hwnd, char* buffer) {
    if (TestDock* dock = TestDock::Active()) dock->OnGetRelativeFolder(hwnd, buffer);
}

__declspec(dllexport) void WINAPI DockletRemoveSelf(HWND hwnd, WPARAM flag) {
    if (TestDock* dock = TestDock::Active()) dock->OnRemoveSelf(hwnd, flag);
}

}  // extern "C"
