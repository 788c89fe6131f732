// The instance's two window timers on its docklet window. They arrive as
// WM_TIMER on the dock's window, which forwards them to OnProcessMessage.
#pragma once

#include "base/docklet_instance.h"

constexpr UINT_PTR SLOW_TIMER_ID = 123224;
constexpr UINT_PTR FAST_TIMER_ID = 123225;
constexpr UINT SLOW_TIMER_PERIOD_MS = 30000;
constexpr UINT FAST_TIMER_PERIOD_MS = 1000;

void StartSlowTimer(DockletInstance* instance) noexcept;
void StartFastTimer(DockletInstance* instance) noexcept;
void StopFastTimer(DockletInstance* instance) noexcept;
void StopBothTimers(DockletInstance* instance) noexcept;
