// vantrel_fuzz [--count N] [--seed S] [--from I] [--target NAME]: runs N
// inputs of each target and prints inputs, seconds, inputs/s and findings.
// Exits 1 on a wrong result, 3 on a crash, 4 on a hang, each input written
// to fuzz-<target>-<index>.bin in the working folder.
#include "fuzz_driver.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const FuzzTarget* const kTargets[] = {&kPerfReaderTarget, &kSettingsTarget, &kAdapterListsTarget,
                                      &kAddressScannerTarget};

// No input takes anywhere near this long; one that does is a hang.
constexpr DWORD kHangSeconds = 20;

struct CurrentInput {
    const char* target = "";
    std::atomic<uint64_t> index{0};
    std::atomic<uint64_t> started{0};
    const void* bytes = nullptr;
    size_t size = 0;
};
CurrentInput g_input;
uint64_t g_findings = 0;

void WriteInput(const char* why) {
    char path[128];
    std::snprintf(path, sizeof path, "fuzz-%s-%llu.bin", g_input.target,
                  static_cast<unsigned long long>(g_input.index.load()));
    if (FILE* file = std::fopen(path, "wb")) {
        if (g_input.size) {
            std::fwrite(g_input.bytes, 1, g_input.size, file);
        }
        std::fclose(file);
    }
    std::fprintf(stderr, "FINDING in %s, input %llu: %s (input written to %s)\n", g_input.target,
                 static_cast<unsigned long long>(g_input.index.load()), why, path);
    std::fflush(stderr);
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:  // a trapped undefined behaviour
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_IN_PAGE_ERROR: {
        char why[64];
        std::snprintf(why, sizeof why, "crash, exception 0x%08lX", static_cast<unsigned long>(code));
        WriteInput(why);
        ExitProcess(3);
    }
    default:
        return EXCEPTION_CONTINUE_SEARCH;
    }
}

DWORD WINAPI Watchdog(void*) {
    uint64_t seen = ~0ull;
    DWORD still = 0;
    for (;;) {
        Sleep(1000);
        const uint64_t now = g_input.started.load();
        still = now == seen ? still + 1 : 0;
        seen = now;
        if (still >= kHangSeconds) {
            WriteInput("hang");
            ExitProcess(4);
        }
    }
}

size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

GuardedArena::GuardedArena(size_t capacity) {
    const size_t page = PageSize();
    capacity_ = (capacity + page - 1) / page * page;
    auto* region = static_cast<uint8_t*>(VirtualAlloc(nullptr, capacity_ + 2 * page, MEM_RESERVE | MEM_COMMIT,
                                                      PAGE_READWRITE));
    DWORD old = 0;
    if (!region || !VirtualProtect(region, page, PAGE_NOACCESS, &old) ||
        !VirtualProtect(region + page + capacity_, page, PAGE_NOACCESS, &old)) {
        std::fprintf(stderr, "fuzz: no guarded region of %zu bytes\n", capacity_);
        ExitProcess(2);
    }
    base_ = region + page;
}

GuardedArena::~GuardedArena() { VirtualFree(base_ - PageSize(), 0, MEM_RELEASE); }

uint8_t* GuardedArena::ReserveAtEnd(size_t size) {
    if (size > capacity_) {
        std::fprintf(stderr, "fuzz: an input of %zu bytes exceeds the guarded region\n", size);
        ExitProcess(2);
    }
    return base_ + capacity_ - size;
}

uint8_t* GuardedArena::AtEnd(const void* bytes, size_t size) {
    uint8_t* at = ReserveAtEnd(size);
    if (size) {
        std::memcpy(at, bytes, size);
    }
    return at;
}

uint8_t* GuardedArena::AtStart(const void* bytes, size_t size) {
    ReserveAtEnd(size);
    if (size) {
        std::memcpy(base_, bytes, size);
    }
    return base_;
}

void BeginInput(uint64_t index, const void* bytes, size_t size) {
    g_input.bytes = bytes;
    g_input.size = size;
    g_input.index.store(index);
    g_input.started.fetch_add(1);
}

void Finding(const char* what) {
    WriteInput(what);
    ++g_findings;
}

int main(int argc, char** argv) {
    uint64_t count = 1000000;
    uint64_t seed = 1;
    uint64_t first = 0;
    const char* only = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* value = argv[i + 1];
        if (!std::strcmp(argv[i], "--count")) {
            count = std::strtoull(value, nullptr, 10);
        } else if (!std::strcmp(argv[i], "--seed")) {
            seed = std::strtoull(value, nullptr, 10);
        } else if (!std::strcmp(argv[i], "--from")) {
            first = std::strtoull(value, nullptr, 10);
        } else if (!std::strcmp(argv[i], "--target")) {
            only = value;
        }
    }
    // The reader reports what it did not find on stdout; a million such lines
    // would only slow the run down.
    std::fflush(stdout);
    if (!std::freopen("NUL", "w", stdout) || std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16) != 0) {
        return 2;
    }
    AddVectoredExceptionHandler(1, OnFault);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    std::fprintf(stderr, "fuzz: seed %llu, %llu inputs per target from input %llu\n",
                 static_cast<unsigned long long>(seed), static_cast<unsigned long long>(count),
                 static_cast<unsigned long long>(first));
    uint64_t total = 0;
    for (const FuzzTarget* target : kTargets) {
        if (only && std::strcmp(only, target->name) != 0) {
            continue;
        }
        g_input.target = target->name;
        g_findings = 0;
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        target->run(seed, first, count);
        QueryPerformanceCounter(&end);
        const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        std::fprintf(stderr, "%-16s %10llu inputs %8.2f s %10.0f inputs/s %4llu findings\n", target->name,
                     static_cast<unsigned long long>(count), seconds, seconds > 0 ? count / seconds : 0.0,
                     static_cast<unsigned long long>(g_findings));
        total += g_findings;
    }
    return total ? 1 : 0;
}
