// The system calls of the loaded module that the test dock watches and can
// script: each replacement records the call and then either runs the script a
// test has set or passes through to the real function. Some hold the module to
// a rule Windows has and Wine lacks: text conversion as strict as Windows', and
// picture controls that copy a bitmap with alpha as version 6 statics do
// (STM_SETIMAGE through the module's SendMessageW and SendDlgItemMessageW).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testdock {

struct TimerCall {
    bool set;  // SetTimer, else KillTimer
    HWND hwnd;
    UINT_PTR id;
    UINT period;
};

struct ShellCall {
    HWND owner;
    std::wstring verb;
    std::wstring file;
    std::wstring parameters;
    std::wstring directory;
    int show;
};

struct MenuEntry {
    UINT id;
    std::wstring text;  // empty for a separator
    bool separator;
    bool checked;
};

// Each window-making call records whether Common Controls 6 were active for
// it (versionSixControls): whether the module's own activation context, not
// the process's classic controls, would give its windows their classes.
struct MenuCall {
    UINT flags;
    int x;
    int y;
    HWND owner;
    std::vector<MenuEntry> entries;
    bool versionSixControls;
    // The module's last SetForegroundWindow before the menu named its owner.
    bool ownerBroughtForward;
};

// A call of the module on a window: SetTimer, KillTimer, PostMessageW,
// SetForegroundWindow.
struct WindowCall {
    std::string function;
    HWND hwnd;
    UINT message;  // PostMessageW only
    DWORD thread = 0;  // the thread that made the call
};

struct DialogCall {
    HINSTANCE module;
    UINT templateId;
    HWND owner;
    LPARAM initParam;
    bool versionSixControls;
};

struct ColorDialogCall {
    HWND owner;
    COLORREF initial;
    DWORD flags;
    DWORD recordSize;
    bool customColorsAllZero;
    bool versionSixControls;
};

struct SaveFileCall {
    HWND owner;
    std::wstring initialName;  // the file buffer as handed over
    DWORD flags;
    bool versionSixControls;
};

struct GdiplusStartupCall {
    unsigned version;
    bool debugCallback;
    bool suppressBackgroundThread;
    bool suppressExternalCodecs;
    int status;
    ULONG_PTR token;
};

using RegQueryScript = std::function<LSTATUS(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size)>;
using AdaptersInfoScript = std::function<ULONG(IP_ADAPTER_INFO* buffer, ULONG* size)>;
using AdaptersAddressesScript =
    std::function<ULONG(ULONG family, ULONG flags, IP_ADAPTER_ADDRESSES* buffer, ULONG* size)>;
// Answers GetBestInterfaceEx: an error, or NO_ERROR with the interface index.
using BestInterfaceScript = std::function<DWORD(const sockaddr* destination, DWORD* index)>;
using ShellScript = std::function<HINSTANCE(const ShellCall&)>;
// Answers the colour dialog: a colour for OK, nothing for Cancel.
using ColorDialogScript = std::function<bool(const ColorDialogCall&, COLORREF* chosen)>;
// Answers the Save As dialog: the path chosen, or empty for Cancel.
using SaveFileScript = std::function<std::wstring(const SaveFileCall&)>;
// Chooses the command of a popup menu (0 for none) from what it shows.
using MenuScript = std::function<UINT(const MenuCall&)>;
// Answers a modal dialog instead of showing it.
using DialogScript = std::function<INT_PTR(const DialogCall&)>;

// One NotifyRouteChange2 registration of the module, as a test calls it back.
struct RouteNotification {
    ADDRESS_FAMILY family;
    PIPFORWARD_CHANGE_CALLBACK callback;
    void* context;
    HANDLE handle;
};

struct SystemHooks {
    // What happened, in order.
    std::vector<TimerCall> timerCalls;
    std::vector<ShellCall> shellCalls;
    std::vector<MenuCall> menuCalls;
    std::vector<DialogCall> dialogCalls;
    std::vector<ColorDialogCall> colorDialogCalls;
    std::vector<SaveFileCall> saveFileCalls;
    std::vector<std::wstring> registryQueries;
    int performanceKeyCloses = 0;  // RegCloseKey(HKEY_PERFORMANCE_DATA)
    int adaptersInfoCalls = 0;
    int adaptersAddressesCalls = 0;
    int bestInterfaceCalls = 0;
    std::vector<std::string> hostLookups;  // names looked up in the dock's executable
    std::vector<WindowCall> windowCalls;
    std::vector<GdiplusStartupCall> gdiplusStartups;
    std::vector<ULONG_PTR> gdiplusShutdowns;  // tokens

    // Scripts; an empty one passes through to the system.
    RegQueryScript regQueryValue;
    AdaptersInfoScript adaptersInfo;
    AdaptersAddressesScript adaptersAddresses;
    BestInterfaceScript bestInterface;
    // NotifyRouteChange2: unset passes through to the system; NO_ERROR
    // registers here alone, for a test to call back; another code fails the
    // call as a stub does. Registrations stay listed until cancelled.
    std::optional<DWORD> routeNotifyAnswer;
    std::vector<RouteNotification> routeNotifications;
    int cancelledRouteNotifications = 0;
    ShellScript shellExecute;
    MenuScript trackPopupMenu;
    DialogScript dialogBox;  // empty: the dialog really shows
    // Where the module finds the mouse (the real cursor when unset).
    std::optional<POINT> cursor;
    // Without a script the colour dialog is cancelled at once, unless realColorDialog.
    ColorDialogScript chooseColor;
    // Without a script the Save As dialog is cancelled at once.
    SaveFileScript saveFileName;
    // A GDI+ start-up status to report instead of starting (0: really start).
    int failGdiplusStartupWith = 0;
    // Icons on threads of their own: each GDI+ start-up and shutdown of the
    // module takes this much longer, which widens any race around them; and
    // the module's timers run this many times faster than it asks, so that
    // real WM_TIMER ticks come quickly (the periods it asked for are recorded).
    DWORD gdiplusDelayMs = 0;
    UINT timerPeriodDivisor = 1;
    // Allocation failure on demand: each WinHttpReadData of the module arms this
    // many failures of the reading thread's following allocations (msvcrt
    // malloc, which operator new reaches), so that code scanning a body meets
    // bad_alloc.
    int failAllocationsAfterHttpRead = 0;
    int pendingAllocationFailures = 0;
    DWORD failingThread = 0;
    int failedAllocations = 0;
    int httpReads = 0;
    // The module's heap blocks (msvcrt malloc, calloc, realloc, free) made
    // while tracking is on and not freed yet.
    bool trackAllocations = false;
    std::set<void*> liveAllocations;
    int trackedAllocations = 0;
    // GDI bitmaps: those the module made (GdipCreateHBITMAPFromBitmap) and
    // those its picture controls held after an STM_SETIMAGE (their own copies
    // included), until the module deletes them (DeleteObject).
    std::set<HBITMAP> liveBitmaps;
    int bitmapsMade = 0;
    // Copies a picture control took instead of the bitmap it was sent: made
    // by a version 6 static, or by the dock for a classic one (below).
    int pictureCopies = 0;
    // The module's CreateActCtxW fails, as on a system that refuses its
    // manifest: its windows get the process's classic controls.
    bool refuseActivationContexts = false;
    // Freed blocks kept filled with 0xDD instead of freed, so that a write to
    // freed memory shows (FreedBlocksUntouched) and a pointer read from it is
    // wild; ReleaseFreedBlocks really frees them.
    bool keepFreedBlocks = false;
    bool FreedBlocksUntouched() const;
    void ReleaseFreedBlocks();
    // Told of every window call (and where the dock keeps its icons).
    std::function<void(const WindowCall&)> onWindowCall;
    // WinHTTP as Windows 7 without its TLS 1.2 update answers: WinHttpOpen
    // refuses the automatic proxy (new in Windows 8.1) and WinHttpSetOption a
    // protocol set with anything newer than TLS 1.0, both with
    // ERROR_INVALID_PARAMETER.
    bool windows7Http = false;
    // The manual proxy of the user's Internet settings, as
    // WinHttpGetIEProxyConfigForCurrentUser reports it; empty: the system's.
    std::wstring userProxy;
    // The proxy texts handed to the module and not yet given back with GlobalFree.
    std::set<void*> proxyTextsHandedOut;
    // What the module asked of WinHTTP: the access type of each WinHttpOpen,
    // each protocol set it offered, and how often it changed the certificate
    // checks (WINHTTP_OPTION_SECURITY_FLAGS).
    std::vector<DWORD> httpAccessTypes;
    std::vector<DWORD> httpProtocolSets;
    int certificateCheckChanges = 0;
    // Host callbacks that look missing to the module.
    std::set<std::string> missingHostFunctions;
    // The clock (GetSystemTimeAsFileTime, in FILETIME units), the uptime
    // (GetTickCount64) and the local application data folder
    // (SHGetKnownFolderPath) the module sees; unset or empty: the system's.
    std::optional<uint64_t> systemTime;
    std::optional<uint64_t> uptimeMs;
    std::wstring localAppData;
    // Without a script, really run commands, track menus and show the colour
    // dialog (the standalone dock; tests that drive the real windows).
    bool realShell = false;
    bool realMenus = false;
    bool realColorDialog = false;

    void ClearLog();
};

SystemHooks& Hooks();

// Held by every replacement while it records or runs a script that answers
// for the system (registry, adapter lists), since the module's own threads and
// icons on other threads reach them; a test reads what they record once those
// threads are done. A script that shows a window runs outside it.
std::mutex& HooksLock();

// Installs every replacement into the module's import table; undone on destruction.
class InstalledHooks {
public:
    explicit InstalledHooks(HMODULE module);
    ~InstalledHooks();
    InstalledHooks(const InstalledHooks&) = delete;
    InstalledHooks& operator=(const InstalledHooks&) = delete;

    // Names of the replaced imports the module really has.
    std::vector<std::string> Installed() const;

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace testdock
