#include "info/external_lookup.h"

#include "base/owners.h"
#include "base/text.h"
#include "info/external_address.h"

#include <cstdlib>
#include <cwchar>

// Shared by the thread, the icon's record and the watching dialog; the last
// reference frees it. Everything but the reference count and the URL (written
// before the thread starts) is guarded by the lock.
struct ExternalLookup {
    LONG references;
    CRITICAL_SECTION lock;
    HMODULE module;  // the thread's own reference to this module
    HWND watcher;    // the live dialog to tell, or null
    bool stopRequested;
    bool abandoned;  // the thread saw the stop and gave the exchange up
    bool ended;
    AddressFamily family;
    wchar_t url[2048];
    wchar_t answer[kAddressTextCapacity];
};

namespace {

void AddReference(ExternalLookup& lookup) noexcept { InterlockedIncrement(&lookup.references); }

void ReleaseReference(ExternalLookup* lookup) noexcept {
    if (lookup && InterlockedDecrement(&lookup->references) == 0) {
        DeleteCriticalSection(&lookup->lock);
        std::free(lookup);
    }
}

using LookupReference = UniquePointer<ExternalLookup*, &ReleaseReference>;

class Locked {
public:
    explicit Locked(ExternalLookup& lookup) noexcept : lock_(lookup.lock) { EnterCriticalSection(&lock_); }
    ~Locked() { LeaveCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

bool StopRequested(void* context) noexcept {
    ExternalLookup& lookup = *static_cast<ExternalLookup*>(context);
    const Locked locked(lookup);
    lookup.abandoned = lookup.abandoned || lookup.stopRequested;
    return lookup.abandoned;
}

// Posting under the lock: a dialog unregisters under it before it goes, so
// the handle posted to is always the live dialog, never a new window that
// came back under the same value.
void Finish(ExternalLookup& lookup, const wchar_t* answer) noexcept {
    const Locked locked(lookup);
    CopyText(lookup.answer, answer);
    lookup.ended = true;
    if (lookup.watcher) {
        PostMessageW(lookup.watcher, kLookupEndedMessage, 0, 0);
    }
}

void RunLookup(ExternalLookup* lookup) noexcept {
    const LookupReference held(lookup);
    wchar_t answer[kAddressTextCapacity] = L"Not found";
    try {
        LookUpExternalAddress(lookup->url, lookup->family, answer, StopCheck{&StopRequested, lookup});
    } catch (...) {
        CopyText(answer, L"Not found");
    }
    Finish(*lookup, answer);
}

// The module stays loaded until this thread is done with its code, even when
// the dock unloads it meanwhile.
DWORD WINAPI LookupThread(void* parameter) {
    auto* lookup = static_cast<ExternalLookup*>(parameter);
    const HMODULE module = lookup->module;
    RunLookup(lookup);
    FreeLibraryAndExitThread(module, 0);
}

// A lookup with two references, the caller's and the running thread's.
ExternalLookup* StartLookup(const wchar_t* url, AddressFamily family, HWND dialog) noexcept {
    auto* created = static_cast<ExternalLookup*>(std::calloc(1, sizeof(ExternalLookup)));
    if (!created) {
        return nullptr;
    }
    InitializeCriticalSection(&created->lock);
    created->references = 1;
    LookupReference lookup(created);
    CopyText(lookup.get()->url, url);
    lookup.get()->family = family;
    lookup.get()->watcher = dialog;
    ModuleOwner module;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&LookupThread),
                            module.put())) {
        return nullptr;
    }
    lookup.get()->module = module.get();
    AddReference(*lookup.get());
    const HandleOwner thread(CreateThread(nullptr, 0, &LookupThread, lookup.get(), 0, nullptr));
    if (!thread) {
        ReleaseReference(lookup.get());
        return nullptr;
    }
    module.release();
    return lookup.release();
}

bool Rejoin(ExternalLookup& lookup, const wchar_t* url, HWND dialog) noexcept {
    const Locked locked(lookup);
    if (lookup.ended || lookup.abandoned || lookup.watcher ||
        wcsncmp(lookup.url, url, sizeof lookup.url / sizeof lookup.url[0]) != 0) {
        return false;
    }
    lookup.watcher = dialog;
    lookup.stopRequested = false;
    return true;
}

void Unwatch(ExternalLookup& lookup, HWND dialog) noexcept {
    const Locked locked(lookup);
    if (lookup.watcher == dialog) {
        lookup.watcher = nullptr;
    }
    if (!lookup.watcher) {
        lookup.stopRequested = true;
    }
}

}  // namespace

ExternalLookup* WatchLookup(DockletInstance& instance, AddressFamily family, HWND dialog) {
    const bool v6 = family == AddressFamily::Ipv6;
    ExternalLookup*& kept = v6 ? instance.ipV6Lookup : instance.lookup;
    const wchar_t* url = v6 ? instance.ipV6AddressUrl : instance.ipAddressUrl;
    if (!kept || !Rejoin(*kept, url, dialog)) {
        ExternalLookup* started = StartLookup(url, family, dialog);
        if (!started) {
            return nullptr;
        }
        StopWatchingLookup(kept, nullptr);
        kept = started;
    }
    AddReference(*kept);
    return kept;
}

bool TakeLookupAnswer(ExternalLookup& lookup, wchar_t (&answer)[kAddressTextCapacity]) noexcept {
    const Locked locked(lookup);
    if (lookup.ended) {
        CopyText(answer, lookup.answer);
    }
    return lookup.ended;
}

void StopWatchingLookup(ExternalLookup* lookup, HWND dialog) noexcept {
    if (lookup) {
        Unwatch(*lookup, dialog);
        ReleaseReference(lookup);
    }
}

void ReleaseInstanceLookup(DockletInstance* instance) noexcept {
    StopWatchingLookup(instance->lookup, nullptr);
    instance->lookup = nullptr;
    StopWatchingLookup(instance->ipV6Lookup, nullptr);
    instance->ipV6Lookup = nullptr;
}
