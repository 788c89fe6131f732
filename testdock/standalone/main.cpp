// A minimal dock: one window that shows each docklet icon (base image, overlay
// and label) and prints every call the docklet makes to the dock.
//
//   vantrel_dock [--module DLL] [--root DIR\] [--relative REL\]
//                [--ini FILE --section NAME]... [--fresh] [--adapter auto|N|NAME]
//                [--list-adapters] [--scripted] [--snapshot DIR] [--seconds N]
//
// Unless --scripted is given, the docklet measures the machine's real
// interfaces. --adapter writes the chosen adapter into each icon's INI section
// before the icon starts.
#include "live_system.h"
#include "test_dock.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using namespace Gdiplus::DllExports;
using testdock::Event;
using testdock::EventKind;
using testdock::Icon;
using testdock::TestDock;

namespace {

struct Options {
    std::wstring module = L"VantrelDocklet.dll";
    std::string root;
    std::string relative;
    std::vector<std::pair<std::string, std::string>> icons;  // INI file and section; empty for a fresh icon
    double seconds = 0;  // 0: until the window is closed
    std::wstring adapter;
    bool listAdapters = false;
    bool live = true;
    std::wstring snapshotFolder;
};

std::string Narrow(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return narrow;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    std::string pendingIni;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        auto next = [&]() -> const wchar_t* { return i + 1 < argc ? argv[++i] : nullptr; };
        const wchar_t* value = nullptr;
        if (arg == L"--module" && (value = next())) {
            options.module = value;
        } else if (arg == L"--root" && (value = next())) {
            options.root = Narrow(value);
        } else if (arg == L"--relative" && (value = next())) {
            options.relative = Narrow(value);
        } else if (arg == L"--ini" && (value = next())) {
            pendingIni = Narrow(value);
        } else if (arg == L"--section" && (value = next())) {
            options.icons.emplace_back(pendingIni, Narrow(value));
        } else if (arg == L"--fresh") {
            options.icons.emplace_back("", "");
        } else if (arg == L"--seconds" && (value = next())) {
            options.seconds = _wtof(value);
        } else if (arg == L"--adapter" && (value = next())) {
            options.adapter = value;
        } else if (arg == L"--list-adapters") {
            options.listAdapters = true;
        } else if (arg == L"--scripted") {
            options.live = false;
        } else if (arg == L"--snapshot" && (value = next())) {
            options.snapshotFolder = value;
        } else {
            std::fwprintf(stderr, L"vantrel_dock: unknown or incomplete option %ls\n", arg.c_str());
            return false;
        }
    }
    if (options.icons.empty()) {
        options.icons.emplace_back("", "");
    }
    return true;
}

void PrintEvent(size_t iconNumber, const Event& event) {
    std::printf("icon %zu: %s", iconNumber, testdock::EventName(event.kind));
    switch (event.kind) {
        case EventKind::Label:
        case EventKind::ImageFile:
        case EventKind::LoadImage:
            std::printf(" \"%s\"", event.text.c_str());
            break;
        case EventKind::Overlay:
            std::printf(" %dx%d", event.width, event.height);
            break;
        case EventKind::LockMouseEffect:
        case EventKind::RemoveSelf:
            std::printf(" %lld", event.number);
            break;
        default:
            break;
    }
    std::printf("\n");
}

// Each icon is one row: its real size, then the sizes docks show it at.
constexpr int kSizes[] = {256, 128, 64, 48};
constexpr int kRowHeight = 256 + 48;
constexpr int kRowWidth = 256 + 128 + 64 + 48 + 5 * 16;

void PaintIcons(HWND window, HDC dc, TestDock& dock) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    Gdiplus::GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) {
        return;
    }
    GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQuality);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    int y = 8;
    for (auto& icon : dock.Icons()) {
        Gdiplus::GpImage* base = nullptr;
        if (!icon->imageFile.empty()) {
            GdipLoadImageFromFile(dock.BaseImagePath(*icon).c_str(), &base);
        }
        int x = 16;
        for (int size : kSizes) {
            const int top = y + (256 - size) / 2;
            if (base) {
                GdipDrawImageRectI(graphics, base, x, top, size, size);
            }
            if (Gdiplus::GpImage* overlay = dock.OverlayImage(*icon)) {
                GdipDrawImageRectI(graphics, overlay, x, top, size, size);
            }
            x += size + 16;
        }
        if (base) {
            GdipDisposeImage(base);
        }
        RECT labelRect{16, y + 260, kRowWidth - 16, y + kRowHeight};
        DrawTextA(dc, icon->label.c_str(), -1, &labelRect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        y += kRowHeight;
    }
    GdipDeleteGraphics(graphics);
}

// Writes the chosen adapter into every stored icon's section.
bool WriteChosenAdapter(const Options& options) {
    testdock::LiveAdapter adapter;
    if (!testdock::ChooseLiveAdapter(options.adapter, &adapter)) {
        std::fwprintf(stderr, L"vantrel_dock: no adapter matches '%ls' (see --list-adapters)\n",
                      options.adapter.c_str());
        return false;
    }
    std::printf("dock: watching adapter %s %s\n", Narrow(adapter.description.c_str()).c_str(), adapter.guid.c_str());
    for (const auto& [ini, section] : options.icons) {
        if (ini.empty()) {
            continue;
        }
        const std::wstring file = testdock::Widen(ini);
        const std::wstring name = testdock::Widen(section);
        WritePrivateProfileStringW(name.c_str(), L"InterfaceDescription", adapter.description.c_str(), file.c_str());
        WritePrivateProfileStringW(name.c_str(), L"GUID", testdock::Widen(adapter.guid).c_str(), file.c_str());
    }
    return true;
}

void SaveSnapshots(TestDock& dock, const std::wstring& folder) {
    for (size_t i = 0; i < dock.Icons().size(); ++i) {
        dock.SaveComposedIcon(*dock.Icons()[i], folder + L"\\icon" + std::to_wstring(i + 1) + L".png");
    }
}

TestDock* paintedDock = nullptr;

LRESULT CALLBACK DockWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (paintedDock) {
                PaintIcons(window, dc, *paintedDock);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateDockWindow(size_t iconCount) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &DockWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"VantrelStandaloneDock";
    RegisterClassW(&windowClass);
    RECT frame{0, 0, kRowWidth, static_cast<LONG>(iconCount) * kRowHeight + 8};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vantrel dock", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);

    if (options.listAdapters) {
        int number = 0;
        for (const testdock::LiveAdapter& adapter : testdock::ListLiveAdapters()) {
            std::printf("%d: %s %s%s (%s)\n", ++number, Narrow(adapter.description.c_str()).c_str(),
                        adapter.up ? "up" : "down", adapter.loopback ? " loopback" : "", adapter.guid.c_str());
        }
        return 0;
    }
    if (!options.adapter.empty() && !WriteChosenAdapter(options)) {
        return 1;
    }

    testdock::Hooks().realShell = true;
    testdock::Hooks().realMenus = true;
    testdock::Hooks().realColorDialog = true;
    if (options.live) {
        testdock::ServeLiveCounters(testdock::Hooks());
    }
    TestDock dock(options.module);
    if (!dock.Loaded()) {
        std::fwprintf(stderr, L"vantrel_dock: cannot load %ls\n", options.module.c_str());
        return 1;
    }
    if (!options.root.empty()) {
        dock.rootFolder = options.root;
    }
    if (!options.relative.empty()) {
        dock.relativeFolder = options.relative;
    }
    paintedDock = &dock;

    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(dock.Module(), modulePath, MAX_PATH);
    std::printf("dock: %d-bit, module %s\n", static_cast<int>(sizeof(void*) * 8), Narrow(modulePath).c_str());
    const testdock::DockletInformation information = dock.Information();
    std::printf("docklet: %s by %s, version %d: %s\n", information.name.c_str(), information.author.c_str(),
                information.version, information.notes.c_str());

    HWND window = CreateDockWindow(options.icons.size());
    for (auto& [ini, section] : options.icons) {
        dock.CreateIcon(ini.empty() ? nullptr : ini.c_str(), section.empty() ? nullptr : section.c_str());
    }

    std::vector<size_t> printed(dock.Icons().size(), 0);
    auto printNewEvents = [&] {
        bool any = false;
        bool newOverlay = false;
        for (size_t i = 0; i < dock.Icons().size(); ++i) {
            const auto& events = dock.Icons()[i]->events;
            for (; printed[i] < events.size(); ++printed[i]) {
                PrintEvent(i + 1, events[printed[i]]);
                newOverlay = newOverlay || events[printed[i]].kind == EventKind::Overlay;
                any = true;
            }
        }
        if (newOverlay && !options.snapshotFolder.empty()) {
            SaveSnapshots(dock, options.snapshotFolder);
        }
        if (any && window) {
            InvalidateRect(window, nullptr, FALSE);
        }
    };

    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(options.seconds * 1000.0);
    MSG message;
    bool running = true;
    while (running && (limit == 0 || GetTickCount() - start < limit)) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                running = false;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        printNewEvents();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    for (auto& icon : dock.Icons()) {
        dock.Destroy(*icon);
    }
    printNewEvents();
    paintedDock = nullptr;
    if (window && IsWindow(window)) {
        DestroyWindow(window);
    }
    std::printf("dock: closed\n");
    return 0;
}
