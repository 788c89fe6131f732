// What the process holds, for soak tests that check a repeated action leaks
// nothing. Wine reports no GDI or USER object counts (0), and no private-usage
// or handle count through the usual calls; the figures below come from calls
// that Wine answers too.
#pragma once

#include <windows.h>

#include <vector>

namespace testdock {

struct ProcessUse {
    SIZE_T privateBytes;  // committed private memory (the page file usage)
    DWORD handles;        // kernel handles, counted in the system's handle table
    DWORD gdiObjects;
    DWORD userObjects;
};

ProcessUse MeasureProcess();

// One line "<what>: private bytes a -> b MiB, handles ..., GDI ..., USER ...".
void PrintProcessUse(const char* what, const ProcessUse& before, const ProcessUse& after);

// Prints what the process holds at points of a soak, one line "<what> <round>:
// private bytes ..., dock images n, t ms a round", timing the rounds since the
// previous point.
class SoakMeter {
public:
    ProcessUse Report(const char* what, int round, int dockImages);

private:
    DWORD lastTime_ = GetTickCount();
    int lastRound_ = 0;
};

// The threads of this process that started in the module's code, opened for
// waiting; WaitForThreads closes them.
std::vector<HANDLE> ThreadsStartedIn(HMODULE module);
// True when every thread ended within the time.
bool WaitForThreads(std::vector<HANDLE>& threads, DWORD milliseconds);

// How many rounds a soak runs: the positive whole number in the environment
// variable, else `fallback` (CTest runs short soaks, scripts/soak long ones).
int SoakCount(const char* variable, int fallback);

}  // namespace testdock
