#include "test_dock.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <stdexcept>

using namespace Gdiplus::DllExports;

namespace testdock {
namespace {

TestDock* activeDock = nullptr;

constexpr wchar_t kIconWindowClass[] = L"VantrelTestDockIcon";

using OnGetInformationFn = void(WINAPI*)(char*, char*, int*, char*);
using OnCreateFn = void*(WINAPI*)(HWND, HINSTANCE, const char*, const char*);
using OnSaveFn = void(WINAPI*)(void*, const char*, const char*, BOOL);
using OnExportFilesFn = BOOL(WINAPI*)(void*, char*, int);
using OnDestroyFn = void(WINAPI*)(void*, HWND);
using OnProcessMessageFn = void(WINAPI*)(void*, HWND, UINT, WPARAM, LPARAM);
using ClickFn = BOOL(WINAPI*)(void*, POINT*, SIZE*);
using DialogFn = INT_PTR(WINAPI*)(void*);

template <typename Fn>
Fn Find(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

LRESULT CALLBACK IconWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Like a dock, forward the icon window's timers to the docklet (or, as
    // some docks do, every message of the window).
    TestDock* dock = TestDock::Active();
    const bool forward = dock && (message == WM_TIMER || dock->mode.forwardEveryMessage);
    if (forward) {
        if (Icon* icon = dock->FindIcon(hwnd); icon && !icon->destroyed) {
            dock->Message(*icon, message, wParam, lParam);
            if (message == WM_TIMER) {
                return 0;
            }
            icon->forwarded.push_back(message);
        }
    }
    if (dock && message == WM_DESTROY && dock->mode.unloadInWindowDestroy) {
        dock->OnIconWindowDestroyed(hwnd);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterIconWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &IconWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kIconWindowClass;
    RegisterClassW(&windowClass);
}

bool SavePng(Gdiplus::GpImage* image, const std::wstring& path) {
    static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    return GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

}  // namespace

const char* EventName(EventKind kind) {
    switch (kind) {
        case EventKind::Label: return "DockletSetLabel";
        case EventKind::ImageFile: return "DockletSetImageFile";
        case EventKind::Overlay: return "DockletSetImageOverlay";
        case EventKind::LoadImage: return "DockletLoadGDIPlusImage";
        case EventKind::LockMouseEffect: return "DockletLockMouseEffect";
        case EventKind::AttentionAnimation: return "DockletDoAttentionAnimation";
        case EventKind::RemoveSelf: return "DockletRemoveSelf";
        case EventKind::RootFolder: return "DockletGetRootFolder";
        case EventKind::RelativeFolder: return "DockletGetRelativeFolder";
    }
    return "?";
}

std::vector<const Event*> Icon::EventsOf(EventKind kind) const {
    std::vector<const Event*> found;
    for (const Event& event : events) {
        if (event.kind == kind) {
            found.push_back(&event);
        }
    }
    return found;
}

int Icon::Count(EventKind kind) const { return static_cast<int>(EventsOf(kind).size()); }

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return L"";
    }
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

struct TestDock::EntryPoints {
    OnGetInformationFn onGetInformation;
    OnCreateFn onCreate;
    OnSaveFn onSave;
    OnExportFilesFn onExportFiles;
    OnDestroyFn onDestroy;
    OnProcessMessageFn onProcessMessage;
    ClickFn onLeftButtonClick;
    ClickFn onRightButtonClick;
    ClickFn onLeftButtonHeld;
    ClickFn onDoubleClick;
    DialogFn onConfigure;
    DialogFn onInfo;
    DialogFn onAbout;
};

TestDock* TestDock::Active() { return activeDock; }

DockletInformation LoadForInformation(const std::wstring& modulePath) {
    DockletInformation information;
    const HMODULE module = LoadLibraryW(modulePath.c_str());
    if (!module) {
        return information;
    }
    {
        const InstalledHooks hooks(module);
        if (const auto call = Find<OnGetInformationFn>(module, "OnGetInformation")) {
            char name[256] = {};
            char author[256] = {};
            char notes[2048] = {};
            call(name, author, &information.version, notes);
            information.name = name;
            information.author = author;
            information.notes = notes;
        }
    }
    FreeLibrary(module);
    return information;
}

TestDock::TestDock(const std::wstring& modulePath, const DockMode& dockMode)
    : mode(dockMode), entry_(new EntryPoints{}) {
    if (activeDock) {
        throw std::logic_error("only one test dock at a time");
    }
    activeDock = this;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr);
    RegisterIconWindowClass();

    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    int rootLength = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    rootFolder.assign(static_cast<size_t>(rootLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, &rootFolder[0], rootLength, nullptr, nullptr);
    rootFolder.resize(static_cast<size_t>(rootLength - 1));

    modulePath_ = modulePath;
    if (modulePath_.find_first_of(L"\\/") == std::wstring::npos) {
        modulePath_ = folder + modulePath_;
    }
    LoadModule();
}

void TestDock::LoadModule() {
    // The hooks of an earlier load first: put back on a module that is still
    // mapped, they would undo the new ones.
    imageWatch_.reset();
    hooks_.reset();
    module_ = LoadLibraryW(modulePath_.c_str());
    if (!module_) {
        return;
    }
    hooks_ = std::make_unique<InstalledHooks>(module_);
    imageWatch_ = std::make_unique<ImageWatch>(module_);
    const std::lock_guard<std::mutex> hooksLock(HooksLock());
    Hooks().missingHostFunctions.insert(mode.missingExports.begin(), mode.missingExports.end());
    Hooks().onWindowCall = [this](const WindowCall& call) {
        const std::lock_guard<std::recursive_mutex> lock(lock_);
        if (Icon* icon = FindIcon(call.hwnd); icon && icon->destroyed) {
            icon->afterDestroy.push_back(call.function);
        }
    };
    EntryPoints& e = *entry_;
    e.onGetInformation = Find<OnGetInformationFn>(module_, "OnGetInformation");
    e.onCreate = Find<OnCreateFn>(module_, "OnCreate");
    e.onSave = Find<OnSaveFn>(module_, "OnSave");
    e.onExportFiles = Find<OnExportFilesFn>(module_, "OnExportFiles");
    e.onDestroy = Find<OnDestroyFn>(module_, "OnDestroy");
    e.onProcessMessage = Find<OnProcessMessageFn>(module_, "OnProcessMessage");
    e.onLeftButtonClick = Find<ClickFn>(module_, "OnLeftButtonClick");
    e.onRightButtonClick = Find<ClickFn>(module_, "OnRightButtonClick");
    e.onLeftButtonHeld = Find<ClickFn>(module_, "OnLeftButtonHeld");
    e.onDoubleClick = Find<ClickFn>(module_, "OnDoubleClick");
    e.onConfigure = Find<DialogFn>(module_, "OnConfigure");
    e.onInfo = Find<DialogFn>(module_, "OnInfo");
    e.onAbout = Find<DialogFn>(module_, "OnAbout");
}

// Right after the last OnDestroy, as such a dock does. The hooks stay: what
// the module still does before it is gone is recorded, and they are put back
// only on a module still mapped. The caller holds the dock's lock and frees
// the module it is given after letting go: FreeLibrary takes the loader lock,
// which another icon's thread may hold while it waits for the dock's lock.
HMODULE TestDock::TakeModule() {
    HMODULE module = module_;
    module_ = nullptr;
    *entry_ = EntryPoints{};
    return module;
}

TestDock::~TestDock() {
    for (auto& icon : icons_) {
        if (!icon->destroyed) {
            Destroy(*icon);
        }
        if (icon->overlay) {
            DropOverlay(mode.images, icon->overlay);
            icon->overlay = nullptr;
        }
        DestroyWindow(icon->hwnd);
    }
    // A flat dock leaks the Microsoft-family objects it could not read; here
    // they are the module's own, and go back through their destructor so that
    // they hold the module into no later test.
    for (void* overlay : unreadOverlays_) {
        DeleteThroughSlot0(static_cast<MsvcImageLayout*>(overlay));
    }
    imageWatch_.reset();
    hooks_.reset();
    Hooks().onWindowCall = nullptr;
    if (module_) {
        FreeLibrary(module_);
    }
    ReleaseDeletedDockImages();
    Gdiplus::GdiplusShutdown(gdiplusToken_);
    activeDock = nullptr;
}

std::vector<std::string> TestDock::ReplacedImports() const {
    return hooks_ ? hooks_->Installed() : std::vector<std::string>{};
}

DockletInformation TestDock::Information() {
    if (mode.separateInformationLoads) {
        return LoadForInformation(modulePath_);
    }
    DockletInformation information;
    if (!entry_->onGetInformation) {
        return information;
    }
    char name[256] = {};
    char author[256] = {};
    char notes[2048] = {};
    entry_->onGetInformation(name, author, &information.version, notes);
    information.name = name;
    information.author = author;
    information.notes = notes;
    return information;
}

HWND TestDock::CreateIconWindow() {
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kIconWindowClass, L"Vantrel icon", WS_POPUP, 0, 0, 128, 128,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        // Without a display only message-only windows exist; timers still work on them.
        hwnd = CreateWindowExW(0, kIconWindowClass, L"Vantrel icon", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    return hwnd;
}

Icon& TestDock::CreateIcon(const char* iniFile, const char* iniSection) {
    Icon* made = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(lock_);
        if (!module_ && mode.unloadInWindowDestroy) {
            LoadModule();
        }
        icons_.push_back(std::make_unique<Icon>());
        made = icons_.back().get();
    }
    Icon& icon = *made;
    icon.hwnd = CreateIconWindow();
    if (entry_->onCreate) {
        icon.instance = entry_->onCreate(icon.hwnd, module_, iniFile, iniSection);
    }
    return icon;
}

void* TestDock::DestroyInstance(Icon& icon) {
    if (entry_->onDestroy) {
        entry_->onDestroy(icon.instance, icon.hwnd);
    }
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    icon.destroyed = true;
    void* overlay = icon.overlay;
    icon.overlay = nullptr;
    return overlay;
}

// The icon is gone from the dock, and its overlay with it.
void TestDock::Destroy(Icon& icon) {
    if (icon.destroyed) {
        return;
    }
    if (mode.unloadInWindowDestroy) {
        DestroyWindow(icon.hwnd);
        return;
    }
    if (void* overlay = DestroyInstance(icon)) {
        DropOverlay(mode.images, overlay);
    }
}

// The overlay goes after the module: a dock that unloads here drops its
// pictures of the icon later.
void TestDock::OnIconWindowDestroyed(HWND hwnd) {
    Icon* icon = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(lock_);
        icon = FindIcon(hwnd);
        if (!icon || icon->destroyed) {
            return;
        }
    }
    void* overlay = DestroyInstance(*icon);
    HMODULE unloaded = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(lock_);
        bool last = true;
        for (const auto& other : icons_) {
            last = last && other->destroyed;
        }
        if (last && module_) {
            unloaded = TakeModule();
        }
    }
    if (unloaded) {
        FreeLibrary(unloaded);
    }
    if (overlay) {
        DropOverlay(mode.images, overlay);
    }
}

void TestDock::Recreate(Icon& icon, const char* iniFile, const char* iniSection) {
    if (!icon.destroyed) {
        if (void* overlay = DestroyInstance(icon)) {
            DropOverlay(mode.images, overlay);
        }
    }
    icon.destroyed = false;
    icon.instance = entry_->onCreate ? entry_->onCreate(icon.hwnd, module_, iniFile, iniSection) : nullptr;
}

void TestDock::Tick(Icon& icon, UINT_PTR timerId) { Message(icon, WM_TIMER, timerId, 0); }

void TestDock::Message(Icon& icon, UINT message, WPARAM wParam, LPARAM lParam, HWND window) {
    if (entry_->onProcessMessage && !icon.destroyed) {
        entry_->onProcessMessage(icon.instance, window ? window : icon.hwnd, message, wParam, lParam);
    }
}

namespace {
BOOL Click(ClickFn fn, Icon& icon) {
    POINT point{64, 64};
    SIZE size{128, 128};
    return fn ? fn(icon.instance, &point, &size) : FALSE;
}
}  // namespace

BOOL TestDock::LeftClick(Icon& icon) { return Click(entry_->onLeftButtonClick, icon); }
BOOL TestDock::RightClick(Icon& icon) { return Click(entry_->onRightButtonClick, icon); }
BOOL TestDock::LeftHeld(Icon& icon) { return Click(entry_->onLeftButtonHeld, icon); }
BOOL TestDock::DoubleClick(Icon& icon) { return Click(entry_->onDoubleClick, icon); }
INT_PTR TestDock::Configure(Icon& icon) { return entry_->onConfigure ? entry_->onConfigure(icon.instance) : 0; }
INT_PTR TestDock::Info(Icon& icon) { return entry_->onInfo ? entry_->onInfo(icon.instance) : 0; }
INT_PTR TestDock::About(Icon& icon) { return entry_->onAbout ? entry_->onAbout(icon.instance) : 0; }

void TestDock::Save(Icon& icon, const char* iniFile, const char* iniSection, bool forExport) {
    if (entry_->onSave) {
        entry_->onSave(icon.instance, iniFile, iniSection, forExport ? TRUE : FALSE);
    }
}

BOOL TestDock::ExportFiles(Icon& icon, char* fileOut, int index) {
    return entry_->onExportFiles ? entry_->onExportFiles(icon.instance, fileOut, index) : FALSE;
}

void TestDock::Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

Icon* TestDock::FindIcon(HWND hwnd) {
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    for (auto& icon : icons_) {
        if (icon->hwnd == hwnd) {
            return icon.get();
        }
    }
    return nullptr;
}

void TestDock::Record(HWND hwnd, Event event) {
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    if (Icon* icon = FindIcon(hwnd)) {
        if (icon->destroyed) {
            icon->afterDestroy.push_back(EventName(event.kind));
        }
        icon->events.push_back(std::move(event));
    } else {
        looseEvents.push_back(std::move(event));
    }
}

void TestDock::OnSetLabel(HWND hwnd, const char* text) {
    std::string label = text ? text : "";
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    if (Icon* icon = FindIcon(hwnd)) {
        icon->label = label;
    }
    Record(hwnd, {EventKind::Label, label});
}

void TestDock::OnSetImageFile(HWND hwnd, const char* path) {
    std::string file = path ? path : "";
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    if (Icon* icon = FindIcon(hwnd)) {
        icon->imageFile = file;
    }
    Record(hwnd, {EventKind::ImageFile, file});
}

void TestDock::OnSetImageOverlay(HWND hwnd, void* image, BOOL autoDelete) {
    Event event{EventKind::Overlay, "", autoDelete};
    bool readable = false;
    if (image) {
        ++Counters().overlaysReceived;
        UINT width = 0;
        UINT height = 0;
        Gdiplus::GpImage* native = OverlayNative(mode.images, image);
        readable = native && GdipGetImageWidth(native, &width) == Gdiplus::Ok &&
                   GdipGetImageHeight(native, &height) == Gdiplus::Ok;
        if (!readable) {
            ++Counters().malformedOverlays;
        }
        event.width = static_cast<int>(width);
        event.height = static_cast<int>(height);
    }
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    Icon* icon = FindIcon(hwnd);
    // A flat dock cannot even dispose of a handle GDI+ does not know.
    if (image && (readable || mode.images == ImageFamily::Msvc)) {
        if (icon) {
            if (icon->overlay) {
                DropOverlay(mode.images, icon->overlay);
            }
            icon->overlay = image;
        } else if (autoDelete) {
            DropOverlay(mode.images, image);
        }
    } else if (image) {
        unreadOverlays_.push_back(image);
    }
    Record(hwnd, std::move(event));
}

void* TestDock::OnLoadImage(const char* path) {
    std::string file = path ? path : "";
    void* image = LoadDockPicture(mode.images, Widen(file), disguiseFlatImages);
    const std::lock_guard<std::recursive_mutex> lock(lock_);
    looseEvents.push_back({EventKind::LoadImage, file, image ? 1 : 0});
    return image;
}

void TestDock::OnLockMouseEffect(HWND hwnd, BOOL lock) { Record(hwnd, {EventKind::LockMouseEffect, "", lock}); }

void TestDock::OnAttentionAnimation(HWND hwnd) { Record(hwnd, {EventKind::AttentionAnimation, ""}); }

void TestDock::OnGetRootFolder(HWND hwnd, char* buffer) {
    lstrcpynA(buffer, rootFolder.c_str(), MAX_PATH);
    Record(hwnd, {EventKind::RootFolder, rootFolder});
}

void TestDock::OnGetRelativeFolder(HWND hwnd, char* buffer) {
    lstrcpynA(buffer, relativeFolder.c_str(), MAX_PATH);
    Record(hwnd, {EventKind::RelativeFolder, relativeFolder});
}

void TestDock::OnRemoveSelf(HWND hwnd, WPARAM flag) {
    Record(hwnd, {EventKind::RemoveSelf, "", static_cast<long long>(flag)});
    Icon* icon = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(lock_);
        icon = FindIcon(hwnd);
        if (icon) {
            icon->removeRequested = true;
        }
    }
    if (icon && destroyOnRemoveSelf) {
        Destroy(*icon);
    }
}

std::wstring TestDock::BaseImagePath(const Icon& icon) const { return Widen(rootFolder + icon.imageFile); }

Gdiplus::GpImage* TestDock::OverlayImage(const Icon& icon) const { return OverlayNative(mode.images, icon.overlay); }

bool TestDock::SaveOverlay(const Icon& icon, const std::wstring& pngPath) const {
    Gdiplus::GpImage* overlay = OverlayImage(icon);
    return overlay && SavePng(overlay, pngPath);
}

std::vector<uint32_t> TestDock::OverlayPixels(const Icon& icon, int* width) const {
    std::vector<uint32_t> pixels;
    if (!icon.overlay) {
        return pixels;
    }
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(OverlayImage(icon));
    UINT w = 0;
    UINT h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData data{};
    if (GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
        return pixels;
    }
    pixels.resize(static_cast<size_t>(w) * h);
    for (UINT y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(data.Scan0) +
                                                            static_cast<ptrdiff_t>(y) * data.Stride);
        std::copy(row, row + w, pixels.begin() + static_cast<ptrdiff_t>(y) * w);
    }
    GdipBitmapUnlockBits(bitmap, &data);
    if (width) {
        *width = static_cast<int>(w);
    }
    return pixels;
}

bool TestDock::SaveComposedIcon(const Icon& icon, const std::wstring& pngPath, int size) const {
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(size, size, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
        return false;
    }
    Gdiplus::GpGraphics* graphics = nullptr;
    GdipGetImageGraphicsContext(bitmap, &graphics);
    GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQuality);
    Gdiplus::GpImage* base = nullptr;
    if (!icon.imageFile.empty() && GdipLoadImageFromFile(BaseImagePath(icon).c_str(), &base) == Gdiplus::Ok) {
        GdipDrawImageRectI(graphics, base, 0, 0, size, size);
        GdipDisposeImage(base);
    }
    if (Gdiplus::GpImage* overlay = OverlayImage(icon)) {
        GdipDrawImageRectI(graphics, overlay, 0, 0, size, size);
    }
    GdipDeleteGraphics(graphics);
    const bool saved = SavePng(bitmap, pngPath);
    GdipDisposeImage(bitmap);
    return saved;
}

}  // namespace testdock
