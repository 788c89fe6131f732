#include "system_hooks.h"

#include "import_patch.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>
#include <objidl.h>
#include <gdiplus.h>

#include <winhttp.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace testdock {
namespace {

struct Originals {
    decltype(&::SetTimer) setTimer = &::SetTimer;
    decltype(&::KillTimer) killTimer = &::KillTimer;
    decltype(&::RegQueryValueExW) regQueryValueExW = &::RegQueryValueExW;
    decltype(&::RegCloseKey) regCloseKey = &::RegCloseKey;
    decltype(&::GetAdaptersInfo) getAdaptersInfo = &::GetAdaptersInfo;
    decltype(&::GetAdaptersAddresses) getAdaptersAddresses = &::GetAdaptersAddresses;
    decltype(&::GetBestInterfaceEx) getBestInterfaceEx = &::GetBestInterfaceEx;
    decltype(&::NotifyRouteChange2) notifyRouteChange2 = &::NotifyRouteChange2;
    decltype(&::CancelMibChangeNotify2) cancelMibChangeNotify2 = &::CancelMibChangeNotify2;
    decltype(&::ShellExecuteW) shellExecuteW = &::ShellExecuteW;
    decltype(&::TrackPopupMenu) trackPopupMenu = &::TrackPopupMenu;
    decltype(&::SetForegroundWindow) setForegroundWindow = &::SetForegroundWindow;
    decltype(&::PostMessageW) postMessageW = &::PostMessageW;
    decltype(&::GetCursorPos) getCursorPos = &::GetCursorPos;
    decltype(&::GetSystemTimeAsFileTime) getSystemTimeAsFileTime = &::GetSystemTimeAsFileTime;
    decltype(&::GetTickCount64) getTickCount64 = &::GetTickCount64;
    decltype(&::SHGetKnownFolderPath) shGetKnownFolderPath = &::SHGetKnownFolderPath;
    decltype(&::DialogBoxParamW) dialogBoxParamW = &::DialogBoxParamW;
    decltype(&::ChooseColorW) chooseColorW = &::ChooseColorW;
    decltype(&::GetProcAddress) getProcAddress = &::GetProcAddress;
    decltype(&Gdiplus::GdiplusStartup) gdiplusStartup = &Gdiplus::GdiplusStartup;
    decltype(&Gdiplus::GdiplusShutdown) gdiplusShutdown = &Gdiplus::GdiplusShutdown;
    decltype(&::WideCharToMultiByte) wideCharToMultiByte = &::WideCharToMultiByte;
    decltype(&::WinHttpReadData) winHttpReadData = &::WinHttpReadData;
    decltype(&::SendMessageW) sendMessageW = &::SendMessageW;
    decltype(&::SendDlgItemMessageW) sendDlgItemMessageW = &::SendDlgItemMessageW;
    decltype(&::DeleteObject) deleteObject = &::DeleteObject;
    decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap) createHbitmapFromBitmap =
        &Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap;
    decltype(&::CreateActCtxW) createActCtxW = &::CreateActCtxW;
    decltype(&::WinHttpOpen) winHttpOpen = &::WinHttpOpen;
    decltype(&::GlobalFree) globalFree = &::GlobalFree;
    decltype(&::WinHttpSetOption) winHttpSetOption = &::WinHttpSetOption;
    decltype(&::WinHttpGetIEProxyConfigForCurrentUser) winHttpGetIEProxyConfigForCurrentUser =
        &::WinHttpGetIEProxyConfigForCurrentUser;
};

Originals& Real() {
    static Originals originals;
    return originals;
}

std::wstring OrEmpty(const wchar_t* text) { return text ? text : L""; }

// A dock may run icons on threads of their own: every record is made, and
// every scripted answer given, under the hooks' lock. Never around a real call
// that may run a modal loop, nor around a script that may.
using HooksGuard = std::lock_guard<std::mutex>;

// The dock is told outside the lock: it takes its own lock, which is held
// around calls that reach the hooks.
void LogWindowCall(const char* function, HWND hwnd, UINT message = 0) {
    const WindowCall call{function, hwnd, message, GetCurrentThreadId()};
    std::function<void(const WindowCall&)> tell;
    {
        const HooksGuard lock(HooksLock());
        Hooks().windowCalls.push_back(call);
        tell = Hooks().onWindowCall;
    }
    if (tell) {
        tell(call);
    }
}

// The class procedure of the classic (user32) static, looked up when the hooks
// go in, outside any activation context of the module. A static with another
// class procedure is Common Controls 6's. Comparing procedures asks nothing of
// the control and depends on no module name or version number.
WNDPROC classicStatic = nullptr;

WNDPROC ClassProcedure(const wchar_t* className) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(nullptr, className, &info) ? info.lpfnWndProc : nullptr;
}

// Class lookups follow the active activation context: a static made now would be a version 6 one.
bool VersionSixControlsActive() { return ClassProcedure(L"Static") != classicStatic; }

bool IsClassicStatic(HWND control) {
    return control && reinterpret_cast<WNDPROC>(GetClassLongPtrW(control, GCLP_WNDPROC)) == classicStatic;
}

bool HasNonzeroAlpha(HBITMAP bitmap) {
    BITMAP shape{};
    if (!GetObjectW(bitmap, sizeof shape, &shape) || shape.bmBitsPixel != 32 || shape.bmWidth <= 0 ||
        shape.bmHeight <= 0) {
        return false;
    }
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = shape.bmWidth;
    request.bmiHeader.biHeight = -shape.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(shape.bmWidth) * static_cast<size_t>(shape.bmHeight));
    const HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.data(), &request,
                                DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines > 0 && std::any_of(pixels.begin(), pixels.end(), [](DWORD pixel) { return (pixel >> 24) != 0; });
}

// STM_SETIMAGE of a bitmap under the rule Microsoft documents for version 6
// statics: a 32-bit bitmap with any nonzero alpha is copied, the control holds
// the copy and hands it back at the next STM_SETIMAGE, and the bitmap sent
// stays the sender's. A classic static keeps what it is sent, so the dock
// hands it a copy of its own, and the module meets the same rule in every test.
LRESULT SendPicture(HWND control, HBITMAP sent) {
    HBITMAP handed = sent;
    if (sent && IsClassicStatic(control) && HasNonzeroAlpha(sent)) {
        if (const auto copy = static_cast<HBITMAP>(CopyImage(sent, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
            handed = copy;
        }
    }
    const LRESULT previous =
        Real().sendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(handed));
    const auto held = reinterpret_cast<HBITMAP>(Real().sendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (handed != sent && held != handed) {
        DeleteObject(handed);  // refused: nobody holds the dock's copy
    }
    const HooksGuard lock(HooksLock());
    if (held) {
        Hooks().liveBitmaps.insert(held);
    }
    if (sent && held && held != sent) {
        ++Hooks().pictureCopies;
    }
    return previous;
}

LRESULT WINAPI HookSendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == STM_SETIMAGE && wParam == IMAGE_BITMAP) {
        return SendPicture(window, reinterpret_cast<HBITMAP>(lParam));
    }
    return Real().sendMessageW(window, message, wParam, lParam);
}

LRESULT WINAPI HookSendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == STM_SETIMAGE && wParam == IMAGE_BITMAP) {
        return SendPicture(GetDlgItem(dialog, id), reinterpret_cast<HBITMAP>(lParam));
    }
    return Real().sendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

Gdiplus::GpStatus WINGDIPAPI HookGdipCreateHBITMAPFromBitmap(Gdiplus::GpBitmap* bitmap, HBITMAP* made,
                                                              Gdiplus::ARGB background) {
    const Gdiplus::GpStatus status = Real().createHbitmapFromBitmap(bitmap, made, background);
    if (status == Gdiplus::Ok && made && *made) {
        const HooksGuard lock(HooksLock());
        ++Hooks().bitmapsMade;
        Hooks().liveBitmaps.insert(*made);
    }
    return status;
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object) {
    {
        const HooksGuard lock(HooksLock());
        Hooks().liveBitmaps.erase(static_cast<HBITMAP>(object));
    }
    return Real().deleteObject(object);
}

HANDLE WINAPI HookCreateActCtxW(PCACTCTXW request) {
    if (Hooks().refuseActivationContexts) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    return Real().createActCtxW(request);
}

UINT_PTR WINAPI HookSetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC procedure) {
    UINT runs = period;
    {
        const HooksGuard lock(HooksLock());
        Hooks().timerCalls.push_back({true, hwnd, id, period});
        if (Hooks().timerPeriodDivisor > 1) {
            runs = std::max<UINT>(USER_TIMER_MINIMUM, period / Hooks().timerPeriodDivisor);
        }
    }
    LogWindowCall("SetTimer", hwnd);
    return Real().setTimer(hwnd, id, runs, procedure);
}

BOOL WINAPI HookKillTimer(HWND hwnd, UINT_PTR id) {
    {
        const HooksGuard lock(HooksLock());
        Hooks().timerCalls.push_back({false, hwnd, id, 0});
    }
    LogWindowCall("KillTimer", hwnd);
    return Real().killTimer(hwnd, id);
}

BOOL WINAPI HookSetForegroundWindow(HWND hwnd) {
    LogWindowCall("SetForegroundWindow", hwnd);
    return Real().setForegroundWindow(hwnd);
}

BOOL WINAPI HookPostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LogWindowCall("PostMessageW", hwnd, message);
    return Real().postMessageW(hwnd, message, wParam, lParam);
}

LSTATUS WINAPI HookRegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                    LPDWORD size) {
    {
        const HooksGuard lock(HooksLock());
        Hooks().registryQueries.push_back(OrEmpty(name));
        if (Hooks().regQueryValue) {
            return Hooks().regQueryValue(key, name, type, data, size);
        }
    }
    return Real().regQueryValueExW(key, name, reserved, type, data, size);
}

LSTATUS WINAPI HookRegCloseKey(HKEY key) {
    if (key == HKEY_PERFORMANCE_DATA) {
        const HooksGuard lock(HooksLock());
        ++Hooks().performanceKeyCloses;
    }
    return Real().regCloseKey(key);
}

ULONG WINAPI HookGetAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size) {
    {
        const HooksGuard lock(HooksLock());
        ++Hooks().adaptersInfoCalls;
        if (Hooks().adaptersInfo) {
            return Hooks().adaptersInfo(buffer, size);
        }
    }
    return Real().getAdaptersInfo(buffer, size);
}

ULONG WINAPI HookGetAdaptersAddresses(ULONG family, ULONG flags, PVOID reserved, PIP_ADAPTER_ADDRESSES buffer,
                                      PULONG size) {
    {
        const HooksGuard lock(HooksLock());
        ++Hooks().adaptersAddressesCalls;
        if (Hooks().adaptersAddresses) {
            return Hooks().adaptersAddresses(family, flags, buffer, size);
        }
    }
    return Real().getAdaptersAddresses(family, flags, reserved, buffer, size);
}

DWORD WINAPI HookGetBestInterfaceEx(sockaddr* destination, DWORD* index) {
    {
        const HooksGuard lock(HooksLock());
        ++Hooks().bestInterfaceCalls;
        if (Hooks().bestInterface) {
            return Hooks().bestInterface(destination, index);
        }
    }
    return Real().getBestInterfaceEx(destination, index);
}

DWORD WINAPI HookNotifyRouteChange2(ADDRESS_FAMILY family, PIPFORWARD_CHANGE_CALLBACK callback, PVOID context,
                                    BOOLEAN initialNotification, HANDLE* handle) {
    std::unique_lock<std::mutex> lock(HooksLock());
    if (!Hooks().routeNotifyAnswer) {
        lock.unlock();
        return Real().notifyRouteChange2(family, callback, context, initialNotification, handle);
    }
    if (*Hooks().routeNotifyAnswer != NO_ERROR) {
        return *Hooks().routeNotifyAnswer;
    }
    // Any distinct value serves: only this dock ever sees it.
    static ULONG_PTR nextHandle = 0x5E00;
    *handle = reinterpret_cast<HANDLE>(++nextHandle);
    Hooks().routeNotifications.push_back({family, callback, context, *handle});
    return NO_ERROR;
}

DWORD WINAPI HookCancelMibChangeNotify2(HANDLE handle) {
    std::unique_lock<std::mutex> lock(HooksLock());
    auto& listed = Hooks().routeNotifications;
    const auto found = std::find_if(listed.begin(), listed.end(),
                                    [&](const RouteNotification& entry) { return entry.handle == handle; });
    if (found == listed.end()) {
        lock.unlock();
        return Real().cancelMibChangeNotify2(handle);
    }
    listed.erase(found);
    ++Hooks().cancelledRouteNotifications;
    return NO_ERROR;
}

HINSTANCE WINAPI HookShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                   LPCWSTR directory, INT show) {
    ShellCall call{owner, OrEmpty(verb), OrEmpty(file), OrEmpty(parameters), OrEmpty(directory), show};
    {
        const HooksGuard lock(HooksLock());
        Hooks().shellCalls.push_back(call);
    }
    if (Hooks().shellExecute) {
        return Hooks().shellExecute(call);
    }
    if (Hooks().realShell) {
        return Real().shellExecuteW(owner, verb, file, parameters, directory, show);
    }
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

std::vector<MenuEntry> ReadMenu(HMENU menu) {
    std::vector<MenuEntry> entries;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
            continue;
        }
        entries.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_CHECKED) != 0});
    }
    return entries;
}

BOOL WINAPI HookTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
    MenuCall call{flags, x, y, owner, ReadMenu(menu), VersionSixControlsActive(), false};
    {
        // The last SetForegroundWindow of this thread: another icon's thread may have made one since.
        const HooksGuard lock(HooksLock());
        for (const WindowCall& made : Hooks().windowCalls) {
            if (made.function == "SetForegroundWindow" && made.thread == GetCurrentThreadId()) {
                call.ownerBroughtForward = made.hwnd == owner;
            }
        }
        Hooks().menuCalls.push_back(call);
    }
    if (Hooks().trackPopupMenu) {
        return static_cast<BOOL>(Hooks().trackPopupMenu(call));
    }
    if (Hooks().realMenus) {
        return Real().trackPopupMenu(menu, flags, x, y, reserved, owner, rect);
    }
    return 0;
}

BOOL WINAPI HookGetCursorPos(POINT* point) {
    if (Hooks().cursor && point) {
        *point = *Hooks().cursor;
        return TRUE;
    }
    return Real().getCursorPos(point);
}

void WINAPI HookGetSystemTimeAsFileTime(FILETIME* time) {
    if (Hooks().systemTime && time) {
        time->dwLowDateTime = static_cast<DWORD>(*Hooks().systemTime);
        time->dwHighDateTime = static_cast<DWORD>(*Hooks().systemTime >> 32);
        return;
    }
    Real().getSystemTimeAsFileTime(time);
}

ULONGLONG WINAPI HookGetTickCount64() {
    return Hooks().uptimeMs ? *Hooks().uptimeMs : Real().getTickCount64();
}

HRESULT WINAPI HookSHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path) {
    const std::wstring& folder = Hooks().localAppData;
    if (folder.empty() || !IsEqualGUID(id, FOLDERID_LocalAppData) || !path) {
        return Real().shGetKnownFolderPath(id, flags, token, path);
    }
    const size_t bytes = (folder.size() + 1) * sizeof(wchar_t);
    *path = static_cast<PWSTR>(CoTaskMemAlloc(bytes));
    if (!*path) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(*path, folder.c_str(), bytes);
    return S_OK;
}

INT_PTR WINAPI HookDialogBoxParamW(HINSTANCE module, LPCWSTR name, HWND owner, DLGPROC procedure,
                                   LPARAM initParam) {
    const UINT templateId = IS_INTRESOURCE(name) ? static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) : 0;
    DialogCall call{module, templateId, owner, initParam, VersionSixControlsActive()};
    {
        const HooksGuard lock(HooksLock());
        Hooks().dialogCalls.push_back(call);
    }
    if (Hooks().dialogBox) {
        return Hooks().dialogBox(call);
    }
    return Real().dialogBoxParamW(module, name, owner, procedure, initParam);
}

BOOL WINAPI HookChooseColorW(LPCHOOSECOLORW record) {
    bool allZero = record->lpCustColors != nullptr;
    for (int i = 0; allZero && i < 16; ++i) {
        allZero = record->lpCustColors[i] == 0;
    }
    ColorDialogCall call{record->hwndOwner, record->rgbResult, record->Flags, record->lStructSize, allZero,
                         VersionSixControlsActive()};
    {
        const HooksGuard lock(HooksLock());
        Hooks().colorDialogCalls.push_back(call);
    }
    if (!Hooks().chooseColor && Hooks().realColorDialog) {
        return Real().chooseColorW(record);
    }
    COLORREF chosen = record->rgbResult;
    if (Hooks().chooseColor && Hooks().chooseColor(call, &chosen)) {
        record->rgbResult = chosen;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI HookGetSaveFileNameW(LPOPENFILENAMEW record) {
    SaveFileCall call{record->hwndOwner, record->lpstrFile ? record->lpstrFile : L"", record->Flags,
                      VersionSixControlsActive()};
    Hooks().saveFileCalls.push_back(call);
    const std::wstring chosen = Hooks().saveFileName ? Hooks().saveFileName(call) : std::wstring();
    if (chosen.empty() || chosen.size() >= record->nMaxFile) {
        return FALSE;
    }
    chosen.copy(record->lpstrFile, chosen.size());
    record->lpstrFile[chosen.size()] = L'\0';
    return TRUE;
}

FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) {
    const bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (byName && module == GetModuleHandleW(nullptr)) {
        const HooksGuard lock(HooksLock());
        Hooks().hostLookups.emplace_back(name);
        if (Hooks().missingHostFunctions.count(name)) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
    }
    return Real().getProcAddress(module, name);
}

Gdiplus::Status WINAPI HookGdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                                          Gdiplus::GdiplusStartupOutput* output) {
    GdiplusStartupCall call{input ? input->GdiplusVersion : 0u, input && input->DebugEventCallback,
                            input && input->SuppressBackgroundThread, input && input->SuppressExternalCodecs, 0, 0};
    int failWith = 0;
    DWORD delay = 0;
    {
        const HooksGuard lock(HooksLock());
        failWith = Hooks().failGdiplusStartupWith;
        delay = Hooks().gdiplusDelayMs;
    }
    Gdiplus::Status status;
    if (failWith != 0) {
        status = static_cast<Gdiplus::Status>(failWith);
    } else {
        status = Real().gdiplusStartup(token, input, output);
    }
    Sleep(delay);
    call.status = status;
    call.token = token ? *token : 0;
    const HooksGuard lock(HooksLock());
    Hooks().gdiplusStartups.push_back(call);
    return status;
}

void WINAPI HookGdiplusShutdown(ULONG_PTR token) {
    bool started = false;
    DWORD delay = 0;
    {
        const HooksGuard lock(HooksLock());
        Hooks().gdiplusShutdowns.push_back(token);
        delay = Hooks().gdiplusDelayMs;
        // A start-up that was made to fail started nothing that could be shut down.
        for (const GdiplusStartupCall& startup : Hooks().gdiplusStartups) {
            started = started || (startup.token == token && startup.status == 0);
        }
    }
    Sleep(delay);
    if (started) {
        Real().gdiplusShutdown(token);
    }
}

// Windows refuses a default character, or the question whether one was used,
// when converting to UTF-8 or UTF-7; Wine converts anyway. The dock answers as
// Windows does, so a module that relies on Wine's leniency fails here.
int WINAPI HookWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int length, LPSTR out, int outSize,
                                   LPCCH defaultChar, LPBOOL usedDefaultChar) {
    const UINT effective = codePage == CP_ACP ? GetACP() : codePage;
    if ((effective == CP_UTF8 || effective == CP_UTF7) && (defaultChar || usedDefaultChar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Real().wideCharToMultiByte(codePage, flags, text, length, out, outSize, defaultChar, usedDefaultChar);
}

struct FreedBlock {
    unsigned char* start;
    size_t size;
};

std::vector<FreedBlock>& FreedBlocks() {
    static std::vector<FreedBlock> blocks;
    return blocks;
}

constexpr unsigned char kFreedFill = 0xDD;

BOOL WINAPI HookWinHttpReadData(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read) {
    const BOOL result = Real().winHttpReadData(request, buffer, size, read);
    const std::lock_guard<std::mutex> lock(HooksLock());
    ++Hooks().httpReads;
    Hooks().pendingAllocationFailures = Hooks().failAllocationsAfterHttpRead;
    Hooks().failingThread = GetCurrentThreadId();
    return result;
}

HINTERNET WINAPI HookWinHttpOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
    bool refuse = false;
    {
        const std::lock_guard<std::mutex> lock(HooksLock());
        Hooks().httpAccessTypes.push_back(accessType);
        refuse = Hooks().windows7Http && accessType == WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY;
    }
    if (refuse) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Real().winHttpOpen(agent, accessType, proxy, bypass, flags);
}

BOOL WINAPI HookWinHttpSetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
    constexpr DWORD kWindows7Protocols =
        WINHTTP_FLAG_SECURE_PROTOCOL_SSL2 | WINHTTP_FLAG_SECURE_PROTOCOL_SSL3 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
    bool refuse = false;
    {
        const std::lock_guard<std::mutex> lock(HooksLock());
        if (option == WINHTTP_OPTION_SECURITY_FLAGS) {
            ++Hooks().certificateCheckChanges;
        }
        if (option == WINHTTP_OPTION_SECURE_PROTOCOLS && buffer && length == sizeof(DWORD)) {
            const DWORD protocols = *static_cast<const DWORD*>(buffer);
            Hooks().httpProtocolSets.push_back(protocols);
            refuse = Hooks().windows7Http && (protocols & ~kWindows7Protocols) != 0;
        }
    }
    if (refuse) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Real().winHttpSetOption(handle, option, buffer, length);
}

wchar_t* GlobalCopy(const std::wstring& text) {
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED, (text.size() + 1) * sizeof(wchar_t)));
    if (copy) {
        text.copy(copy, text.size());
        copy[text.size()] = L'\0';
    }
    return copy;
}

// The caller frees the texts with GlobalFree, as Windows documents.
BOOL WINAPI HookWinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) {
    std::wstring proxy;
    {
        const std::lock_guard<std::mutex> lock(HooksLock());
        proxy = Hooks().userProxy;
    }
    if (proxy.empty() || !config) {
        return Real().winHttpGetIEProxyConfigForCurrentUser(config);
    }
    *config = {};
    config->lpszProxy = GlobalCopy(proxy);
    if (config->lpszProxy) {
        const std::lock_guard<std::mutex> lock(HooksLock());
        Hooks().proxyTextsHandedOut.insert(config->lpszProxy);
    }
    return config->lpszProxy != nullptr;
}

// Only GlobalFree gives back what WinHttpGetIEProxyConfigForCurrentUser handed out.
HGLOBAL WINAPI HookGlobalFree(HGLOBAL memory) {
    {
        const std::lock_guard<std::mutex> lock(HooksLock());
        Hooks().proxyTextsHandedOut.erase(memory);
    }
    return Real().globalFree(memory);
}

// Called with the hooks' lock held.
void* Tracked(void* block) {
    if (block && Hooks().trackAllocations) {
        ++Hooks().trackedAllocations;
        Hooks().liveAllocations.insert(block);
    }
    return block;
}

bool FailThisAllocation() {
    if (Hooks().pendingAllocationFailures == 0 || Hooks().failingThread != GetCurrentThreadId()) {
        return false;
    }
    --Hooks().pendingAllocationFailures;
    ++Hooks().failedAllocations;
    return true;
}

void* __cdecl HookMalloc(size_t size) {
    const std::lock_guard<std::mutex> lock(HooksLock());
    if (FailThisAllocation()) {
        return nullptr;
    }
    return Tracked(std::malloc(size));
}

void* __cdecl HookCalloc(size_t count, size_t size) {
    const std::lock_guard<std::mutex> lock(HooksLock());
    return Tracked(std::calloc(count, size));
}

void* __cdecl HookRealloc(void* block, size_t size) {
    const std::lock_guard<std::mutex> lock(HooksLock());
    void* moved = std::realloc(block, size);
    if (block && (moved || size == 0)) {
        Hooks().liveAllocations.erase(block);
    }
    return Tracked(moved);
}

void __cdecl HookFree(void* block) {
    const std::lock_guard<std::mutex> lock(HooksLock());
    Hooks().liveAllocations.erase(block);
    if (block && Hooks().keepFreedBlocks) {
        const size_t size = _msize(block);
        std::memset(block, kFreedFill, size);
        FreedBlocks().push_back({static_cast<unsigned char*>(block), size});
        return;
    }
    std::free(block);
}

struct Replacement {
    const char* dll;
    const char* function;
    void* hook;
};

const Replacement kReplacements[] = {
    {"user32.dll", "SetTimer", reinterpret_cast<void*>(&HookSetTimer)},
    {"user32.dll", "KillTimer", reinterpret_cast<void*>(&HookKillTimer)},
    {"advapi32.dll", "RegQueryValueExW", reinterpret_cast<void*>(&HookRegQueryValueExW)},
    {"advapi32.dll", "RegCloseKey", reinterpret_cast<void*>(&HookRegCloseKey)},
    {"iphlpapi.dll", "GetAdaptersInfo", reinterpret_cast<void*>(&HookGetAdaptersInfo)},
    {"iphlpapi.dll", "GetAdaptersAddresses", reinterpret_cast<void*>(&HookGetAdaptersAddresses)},
    {"iphlpapi.dll", "GetBestInterfaceEx", reinterpret_cast<void*>(&HookGetBestInterfaceEx)},
    {"iphlpapi.dll", "NotifyRouteChange2", reinterpret_cast<void*>(&HookNotifyRouteChange2)},
    {"iphlpapi.dll", "CancelMibChangeNotify2", reinterpret_cast<void*>(&HookCancelMibChangeNotify2)},
    {"shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(&HookShellExecuteW)},
    {"user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&HookTrackPopupMenu)},
    {"user32.dll", "SetForegroundWindow", reinterpret_cast<void*>(&HookSetForegroundWindow)},
    {"user32.dll", "PostMessageW", reinterpret_cast<void*>(&HookPostMessageW)},
    {"user32.dll", "GetCursorPos", reinterpret_cast<void*>(&HookGetCursorPos)},
    {"kernel32.dll", "GetSystemTimeAsFileTime", reinterpret_cast<void*>(&HookGetSystemTimeAsFileTime)},
    {"kernel32.dll", "GetTickCount64", reinterpret_cast<void*>(&HookGetTickCount64)},
    {"shell32.dll", "SHGetKnownFolderPath", reinterpret_cast<void*>(&HookSHGetKnownFolderPath)},
    {"user32.dll", "DialogBoxParamW", reinterpret_cast<void*>(&HookDialogBoxParamW)},
    {"comdlg32.dll", "ChooseColorW", reinterpret_cast<void*>(&HookChooseColorW)},
    {"comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&HookGetSaveFileNameW)},
    {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&HookGetProcAddress)},
    {"gdiplus.dll", "GdiplusStartup", reinterpret_cast<void*>(&HookGdiplusStartup)},
    {"gdiplus.dll", "GdiplusShutdown", reinterpret_cast<void*>(&HookGdiplusShutdown)},
    {"kernel32.dll", "WideCharToMultiByte", reinterpret_cast<void*>(&HookWideCharToMultiByte)},
    {"winhttp.dll", "WinHttpReadData", reinterpret_cast<void*>(&HookWinHttpReadData)},
    {"winhttp.dll", "WinHttpOpen", reinterpret_cast<void*>(&HookWinHttpOpen)},
    {"winhttp.dll", "WinHttpSetOption", reinterpret_cast<void*>(&HookWinHttpSetOption)},
    {"winhttp.dll", "WinHttpGetIEProxyConfigForCurrentUser",
     reinterpret_cast<void*>(&HookWinHttpGetIEProxyConfigForCurrentUser)},
    {"kernel32.dll", "GlobalFree", reinterpret_cast<void*>(&HookGlobalFree)},
    {"msvcrt.dll", "malloc", reinterpret_cast<void*>(&HookMalloc)},
    {"msvcrt.dll", "calloc", reinterpret_cast<void*>(&HookCalloc)},
    {"msvcrt.dll", "realloc", reinterpret_cast<void*>(&HookRealloc)},
    {"msvcrt.dll", "free", reinterpret_cast<void*>(&HookFree)},
    {"user32.dll", "SendMessageW", reinterpret_cast<void*>(&HookSendMessageW)},
    {"user32.dll", "SendDlgItemMessageW", reinterpret_cast<void*>(&HookSendDlgItemMessageW)},
    {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(&HookDeleteObject)},
    {"gdiplus.dll", "GdipCreateHBITMAPFromBitmap", reinterpret_cast<void*>(&HookGdipCreateHBITMAPFromBitmap)},
    {"kernel32.dll", "CreateActCtxW", reinterpret_cast<void*>(&HookCreateActCtxW)},
};

// Gives the memory back too: soaks clear the log as they go and measure what remains.
template <class T>
void Drop(std::vector<T>& log) {
    std::vector<T>().swap(log);
}

}  // namespace

void SystemHooks::ClearLog() {
    Drop(timerCalls);
    Drop(shellCalls);
    Drop(menuCalls);
    Drop(dialogCalls);
    Drop(colorDialogCalls);
    Drop(saveFileCalls);
    Drop(registryQueries);
    performanceKeyCloses = 0;
    adaptersInfoCalls = 0;
    adaptersAddressesCalls = 0;
    bestInterfaceCalls = 0;
    failedAllocations = 0;
    httpReads = 0;
    Drop(httpAccessTypes);
    Drop(httpProtocolSets);
    certificateCheckChanges = 0;
    Drop(hostLookups);
    Drop(windowCalls);
    Drop(gdiplusStartups);
    Drop(gdiplusShutdowns);
}

bool SystemHooks::FreedBlocksUntouched() const {
    const std::lock_guard<std::mutex> lock(HooksLock());
    for (const FreedBlock& block : FreedBlocks()) {
        for (size_t i = 0; i < block.size; ++i) {
            if (block.start[i] != kFreedFill) {
                return false;
            }
        }
    }
    return true;
}

void SystemHooks::ReleaseFreedBlocks() {
    const std::lock_guard<std::mutex> lock(HooksLock());
    keepFreedBlocks = false;
    for (const FreedBlock& block : FreedBlocks()) {
        std::free(block.start);
    }
    Drop(FreedBlocks());
}

SystemHooks& Hooks() {
    static SystemHooks hooks;
    return hooks;
}

std::mutex& HooksLock() {
    static std::mutex lock;
    return lock;
}

struct InstalledHooks::Impl {
    std::vector<std::unique_ptr<ImportPatch>> patches;
    std::vector<std::string> names;
};

InstalledHooks::InstalledHooks(HMODULE module) : impl_(new Impl) {
    classicStatic = ClassProcedure(L"Static");
    for (const Replacement& replacement : kReplacements) {
        auto patch = std::make_unique<ImportPatch>(module, replacement.dll, replacement.function, replacement.hook);
        if (patch->Active()) {
            impl_->names.emplace_back(replacement.function);
            impl_->patches.push_back(std::move(patch));
        }
    }
}

InstalledHooks::~InstalledHooks() { delete impl_; }

std::vector<std::string> InstalledHooks::Installed() const { return impl_->names; }

}  // namespace testdock
