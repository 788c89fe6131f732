#include "cycle/timers.h"

void StartSlowTimer(DockletInstance* instance) noexcept {
    SetTimer(instance->hwndDocklet, SLOW_TIMER_ID, SLOW_TIMER_PERIOD_MS, nullptr);
}

void StartFastTimer(DockletInstance* instance) noexcept {
    SetTimer(instance->hwndDocklet, FAST_TIMER_ID, FAST_TIMER_PERIOD_MS, nullptr);
    instance->fastTimerRunning = 1;
}

void StopFastTimer(DockletInstance* instance) noexcept {
    KillTimer(instance->hwndDocklet, FAST_TIMER_ID);
    instance->fastTimerRunning = 0;
}

void StopBothTimers(DockletInstance* instance) noexcept {
    KillTimer(instance->hwndDocklet, SLOW_TIMER_ID);
    StopFastTimer(instance);
}
