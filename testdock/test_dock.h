// A dock of our own: loads a docklet module the way a dock does, gives each
// icon a real window, answers the nine host callbacks (exported by name from
// the program that links this library), records everything per icon, and lets
// a caller drive timers, clicks, menus, saving and destruction.
#pragma once

#include "dock_image.h"
#include "dock_mode.h"
#include "system_hooks.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testdock {

enum class EventKind {
    Label,            // DockletSetLabel: text
    ImageFile,        // DockletSetImageFile: text
    Overlay,          // DockletSetImageOverlay: number = auto-delete flag, width/height of the image
    LoadImage,        // DockletLoadGDIPlusImage: text, number = 1 when an image was returned
    LockMouseEffect,  // number = flag
    AttentionAnimation,
    RemoveSelf,       // number = the argument
    RootFolder,
    RelativeFolder,
};

const char* EventName(EventKind kind);

struct Event {
    EventKind kind;
    std::string text;
    long long number = 0;
    int width = 0;
    int height = 0;
};

struct Icon {
    HWND hwnd = nullptr;
    void* instance = nullptr;
    bool destroyed = false;
    std::vector<Event> events;
    std::string label;      // as the dock shows it now
    std::string imageFile;  // base image, relative to the root folder
    void* overlay = nullptr;  // in the dock's image family; the dock owns it and frees it when replaced
    bool removeRequested = false;
    // What reached the dock or the icon's window after OnDestroy returned:
    // host callbacks by name, window calls as "SetTimer" and the like. A dock
    // forgets the icon then, so anything here is a fault of the module.
    std::vector<std::string> afterDestroy;
    // Messages of the icon's window the dock forwarded to OnProcessMessage, timers aside.
    std::vector<UINT> forwarded;

    std::vector<const Event*> EventsOf(EventKind kind) const;
    int Count(EventKind kind) const;
};

struct DockletInformation {
    std::string name;
    std::string author;
    int version = 0;
    std::string notes;
};

// A dock's settings window loads the module on its own, only to call
// OnGetInformation, and unloads it again. The hooks are in place for the call.
DockletInformation LoadForInformation(const std::wstring& modulePath);

class TestDock {
public:
    // Loads the module (a path, or a name found beside the program).
    explicit TestDock(const std::wstring& modulePath = L"VantrelDocklet.dll",
                      const DockMode& mode = ModeFromEnvironment());
    ~TestDock();
    TestDock(const TestDock&) = delete;
    TestDock& operator=(const TestDock&) = delete;

    // How this dock differs from our own; fixed for its life.
    const DockMode mode;

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    // Names of the module's imports the dock replaced.
    std::vector<std::string> ReplacedImports() const;

    // Folders the dock reports; each ends with a backslash (or is empty).
    std::string rootFolder;
    std::string relativeFolder = "Docklets\\Vantrel\\";

    DockletInformation Information();
    // Creates an icon with its window; null INI names for a fresh icon. The
    // window belongs to the calling thread: an icon made on a thread of its
    // own lives there, and that thread's message loop (Pump) runs its timers.
    // Every call of the dock may come from any thread.
    Icon& CreateIcon(const char* iniFile = nullptr, const char* iniSection = nullptr);
    // In the unload-in-destroy mode the window goes, and its WM_DESTROY calls
    // OnDestroy and, for the last icon, unloads the module; the next icon loads it again.
    void Destroy(Icon& icon);
    // Destroys the icon's instance and creates a new one in the same window
    // from the named settings, as a dock does when it reloads an icon.
    void Recreate(Icon& icon, const char* iniFile, const char* iniSection);

    void Tick(Icon& icon, UINT_PTR timerId);
    // Forwards a window message; window is what the dock passes along (the icon's own when null).
    void Message(Icon& icon, UINT message, WPARAM wParam, LPARAM lParam, HWND window = nullptr);
    BOOL LeftClick(Icon& icon);
    BOOL RightClick(Icon& icon);
    BOOL LeftHeld(Icon& icon);
    BOOL DoubleClick(Icon& icon);
    INT_PTR Configure(Icon& icon);
    INT_PTR Info(Icon& icon);
    INT_PTR About(Icon& icon);
    void Save(Icon& icon, const char* iniFile, const char* iniSection, bool forExport);
    BOOL ExportFiles(Icon& icon, char* fileOut, int index);

    // Pumps the thread's messages for a while, so real timers fire.
    void Pump(DWORD milliseconds);

    // The icon as the dock draws it: base image, then the overlay, 256x256.
    bool SaveComposedIcon(const Icon& icon, const std::wstring& pngPath, int size = 256) const;
    bool SaveOverlay(const Icon& icon, const std::wstring& pngPath) const;
    // The GDI+ image of the overlay the dock holds (null when none).
    Gdiplus::GpImage* OverlayImage(const Icon& icon) const;
    // The overlay the dock holds for the icon, as 0xAARRGGBB rows (empty when none).
    std::vector<uint32_t> OverlayPixels(const Icon& icon, int* width = nullptr) const;
    // Full path of the icon's base image file.
    std::wstring BaseImagePath(const Icon& icon) const;

    std::vector<std::unique_ptr<Icon>>& Icons() { return icons_; }

    // Callbacks arrive here from the exported host functions.
    Icon* FindIcon(HWND hwnd);
    void OnIconWindowDestroyed(HWND hwnd);
    void OnSetLabel(HWND hwnd, const char* text);
    void OnSetImageFile(HWND hwnd, const char* path);
    void OnSetImageOverlay(HWND hwnd, void* image, BOOL autoDelete);
    void* OnLoadImage(const char* path);
    void OnLockMouseEffect(HWND hwnd, BOOL lock);
    void OnAttentionAnimation(HWND hwnd);
    void OnGetRootFolder(HWND hwnd, char* buffer);
    void OnGetRelativeFolder(HWND hwnd, char* buffer);
    void OnRemoveSelf(HWND hwnd, WPARAM flag);

    // The one dock that receives callbacks.
    static TestDock* Active();

    // Removes the icon at once, inside DockletRemoveSelf, as some docks do.
    bool destroyOnRemoveSelf = false;

    // Flat pictures handed out with their first field pointing at the dock's own data.
    bool disguiseFlatImages = false;

    // Loads seen by the dock for images that belong to no icon.
    std::vector<Event> looseEvents;

private:
    struct EntryPoints;
    void Record(HWND hwnd, Event event);
    HWND CreateIconWindow();
    void LoadModule();
    // OnDestroy; hands back the overlay the dock held for the icon.
    void* DestroyInstance(Icon& icon);
    HMODULE TakeModule();

    // Held while the records change (icons, events, overlays); icons may live
    // on threads of their own. Never held around a call into the module.
    std::recursive_mutex lock_;
    std::wstring modulePath_;
    HMODULE module_ = nullptr;
    std::unique_ptr<EntryPoints> entry_;
    std::unique_ptr<InstalledHooks> hooks_;
    std::unique_ptr<ImageWatch> imageWatch_;
    std::vector<std::unique_ptr<Icon>> icons_;
    // Overlays a flat dock could not read, which it would have leaked.
    std::vector<void*> unreadOverlays_;
    ULONG_PTR gdiplusToken_ = 0;
};

// Text of a file in the ANSI code page as a wide string.
std::wstring Widen(const std::string& text);

}  // namespace testdock
