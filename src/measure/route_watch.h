// Word from the system that the routes of either family changed, for icons that follow the
// default route. The system calls back on a thread of its own, which must not
// touch the icon: the callback only raises a flag, and the icon's next fast
// tick takes it and asks for the route. So the icon is touched on the dock's
// thread alone, and nothing is posted to the dock's window (the dock forwards
// only WM_TIMER). The slow tick follows the route whether or not word comes.
#pragma once

#include "base/docklet_instance.h"

// Starts the watch while the icon follows the route and stops it otherwise. A
// system that offers no notification (a stub that fails) leaves no watch.
void MatchRouteWatch(DockletInstance* instance) noexcept;

// True once after one or more changes since the last call; false without a watch.
bool TakeRouteChange(DockletInstance* instance) noexcept;

// Cancels the notification, which waits for a callback in progress, and frees
// the watch. Once it returns no callback reaches the module, so a dock may
// unload it; a notification the system refuses to cancel keeps the module loaded.
void StopRouteWatch(DockletInstance* instance) noexcept;
