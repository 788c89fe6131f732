// GCC's runtime, linked into the module, runs its one-time set-ups (the
// unwinder's table registration at load among them) through pthread_once. The
// threads library's own version makes a record of the calling thread, with two
// handles, that nothing frees when a dock unloads the module: a dock that loads
// it for its information again and again would lose them each time. The
// module's link sends those calls here (--wrap), where no record is made.
#include <windows.h>

extern "C" int __wrap_pthread_once(volatile LONG* once, void (*init)(void)) {
    // 0: not run (the library's initial value), 1: running, 2: done.
    for (;;) {
        const LONG state = InterlockedCompareExchange(once, 1, 0);
        if (state == 0) {
            init();
            InterlockedExchange(once, 2);
            return 0;
        }
        if (state == 2) {
            return 0;
        }
        SwitchToThread();
    }
}
