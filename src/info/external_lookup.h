// The external address lookup, run on a thread of its own beside the
// information dialog: the dialog shows at once and is told when the answer
// is there.
#pragma once

#include "base/docklet_instance.h"
#include "info/external_address.h"

#include <windows.h>

// Posted to the watching dialog once its lookup has ended.
constexpr UINT kLookupEndedMessage = WM_APP + 1;

// Starts a lookup of the icon's address URL of the family (ipAddressUrl or
// ipV6AddressUrl) for dialog, or rejoins the one of that family the icon
// started before when it still runs for the same URL and no other dialog
// watches it. Returns the dialog's reference, null when no thread could be
// started. The icon's record keeps a reference to the lookup too.
ExternalLookup* WatchLookup(DockletInstance& instance, AddressFamily family, HWND dialog);

// Copies the answer (an address or "Not found") once the lookup has ended.
bool TakeLookupAnswer(ExternalLookup& lookup, wchar_t (&answer)[kAddressTextCapacity]) noexcept;

// The dialog goes: it is posted nothing more, and a lookup nobody watches any
// longer stops at its next step. Drops the dialog's reference.
void StopWatchingLookup(ExternalLookup* lookup, HWND dialog) noexcept;

// Drops the record's references (the icon goes); stops each lookup unless a
// dialog still watches it.
void ReleaseInstanceLookup(DockletInstance* instance) noexcept;
