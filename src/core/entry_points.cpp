// The functions the dock calls. Nothing may escape them: a fault here would
// take the whole dock down, so every body runs behind a guard.
#include "base/docklet_instance.h"
#include "base/host_api.h"
#include "base/module_hold.h"
#include "base/text.h"
#include "config/configure_dialog.h"
#include "core/context_menu.h"
#include "core/dialogs.h"
#include "core/exports.h"
#include "core/lifecycle.h"
#include "core/mouse_actions.h"
#include "core/settings.h"
#include "cycle/usage_counting.h"
#include "info/about_dialog.h"
#include "info/network_info_dialog.h"

#include <utility>

// The runtime's own release of its emergency exception pool (eh_alloc.cc).
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

template <typename Result, typename Body>
Result Guarded(Result fallback, Body&& body) noexcept {
    const ModuleEntry entry;
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

template <typename Body>
void Guarded(Body&& body) noexcept {
    const ModuleEntry entry;
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

// A call on one icon: nothing for an icon the dock has already destroyed (a
// call that nests inside one of ours may still reach it), and the record stays
// until the outermost call on it returns.
template <typename Result, typename Body>
Result OnIcon(DockletInstance* instance, Result fallback, Body&& body) noexcept {
    if (!instance || instance->destroyed) {
        return fallback;
    }
    // Spans the record's release too, which may let the module go.
    const ModuleEntry entry;
    EnterCall(instance);
    const Result result = Guarded<Result>(fallback, [&] { return std::forward<Body>(body)(); });
    LeaveCall(instance);
    return result;
}

template <typename Body>
void OnIcon(DockletInstance* instance, Body&& body) noexcept {
    OnIcon<int>(instance, 0, [&] {
        std::forward<Body>(body)();
        return 0;
    });
}

}  // namespace

// The entry points the dock may leave the module through are named ...Body
// here: core/export_release.S defines the exported names around them.
extern "C" {

// GCC's C++ runtime, linked into the module, keeps an emergency exception
// pool for the life of the process. A dock that loads the module only to read
// its information, again and again, would lose one pool each time: it goes
// when the dock unloads the module (not at process exit, where all goes).
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        EndModuleHolds();
        __gnu_cxx::__freeres();
    }
    return TRUE;
}

void WINAPI OnGetInformation(char* name, char* author, int* version, char* notes) {
    Guarded([&] {
        CopyText(name, 256, "Vantrel Docklet");
        CopyText(author, 256, "Brannoch");
        if (version) {
            *version = 100;
        }
        CopyText(notes, 2048, "A Vantrel Docklet for ObjectDock");
    });
}

void* WINAPI OnCreate(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile, const char* iniSection) {
    return Guarded<void*>(nullptr, [&] { return CreateInstance(hwndDocklet, hInstance, iniFile, iniSection); });
}

void WINAPI OnSaveBody(DockletInstance* instance, const char* iniFile, const char* iniSection, BOOL) {
    OnIcon(instance, [&] {
        SaveSettings(instance, iniFile, iniSection);
        WriteUsage(instance);
    });
}

BOOL WINAPI OnExportFilesBody(DockletInstance* instance, char* fileOut, int index) {
    return OnIcon<BOOL>(instance, FALSE, [&] { return ExportFiles(instance, fileOut, index) ? TRUE : FALSE; });
}

void WINAPI OnDestroyBody(DockletInstance* instance, HWND) {
    OnIcon(instance, [&] { DestroyInstance(instance); });
}

void WINAPI OnProcessMessageBody(DockletInstance* instance, HWND, UINT message, WPARAM wParam, LPARAM) {
    OnIcon(instance, [&] { DispatchMessageToInstance(instance, message, wParam); });
}

BOOL WINAPI OnLeftButtonClickBody(DockletInstance* instance, POINT*, SIZE*) {
    OnIcon(instance, [&] { RunConfiguredCommand(instance); });
    return TRUE;
}

BOOL WINAPI OnRightButtonClickBody(DockletInstance* instance, POINT*, SIZE*) {
    OnIcon(instance, [&] { ShowContextMenu(instance); });
    return TRUE;
}

INT_PTR WINAPI OnInfoBody(DockletInstance* instance) {
    return OnIcon<INT_PTR>(instance, -1, [&] { return OpenInfoDialog(instance); });
}

BOOL WINAPI OnLeftButtonHeldBody(DockletInstance* instance, POINT*, SIZE*) {
    OnInfoBody(instance);
    return TRUE;
}

BOOL WINAPI OnDoubleClick(DockletInstance*, POINT*, SIZE*) { return FALSE; }

INT_PTR WINAPI OnConfigureBody(DockletInstance* instance) {
    return OnIcon<INT_PTR>(instance, -1, [&] { return OpenConfigureDialog(instance); });
}

INT_PTR WINAPI OnAboutBody(DockletInstance* instance) {
    return OnIcon<INT_PTR>(instance, -1, [&] { return OpenAboutDialog(instance); });
}

INT_PTR WINAPI ConfigureDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(FALSE, [&] { return ConfigureDialogProc(dialog, message, wParam, lParam); });
}

INT_PTR WINAPI InfoDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(FALSE, [&] { return InfoDialogProc(dialog, message, wParam, lParam); });
}

INT_PTR WINAPI AboutDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(FALSE, [&] { return AboutDialogProc(dialog, message, wParam, lParam); });
}

}  // extern "C"
