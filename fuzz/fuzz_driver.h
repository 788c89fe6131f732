// The shared part of the fuzz tool: a generator that gives the same inputs for
// the same seed, inputs placed against guard pages, a watchdog for hangs, and
// the files a finding leaves behind.
#pragma once

#include <cstddef>
#include <cstdint>

// splitmix64: small, fast and the same on every machine.
class FuzzRng {
public:
    explicit FuzzRng(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint64_t bound) { return bound ? static_cast<uint32_t>(Next() % bound) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <typename T, size_t N>
    const T& Pick(const T (&choices)[N]) { return choices[Below(N)]; }

private:
    uint64_t state_;
};

// One region, allocated once, between two PAGE_NOACCESS pages: an input copied
// to its end (or its start) faults on the first byte read past it (or before).
class GuardedArena {
public:
    explicit GuardedArena(size_t capacity);
    ~GuardedArena();
    GuardedArena(const GuardedArena&) = delete;
    GuardedArena& operator=(const GuardedArena&) = delete;

    uint8_t* AtEnd(const void* bytes, size_t size);
    uint8_t* AtStart(const void* bytes, size_t size);
    // Room for `size` bytes that end at the guard page, left as they are.
    uint8_t* ReserveAtEnd(size_t size);

private:
    uint8_t* base_ = nullptr;
    size_t capacity_ = 0;
};

// The input about to run: what a finding, a crash or a hang writes to its
// file. The bytes must stay in place until the next input begins.
void BeginInput(uint64_t index, const void* bytes, size_t size);

// A wrong result: writes the input's file and counts it; the tool then exits
// non-zero after this target.
void Finding(const char* what);

struct FuzzTarget {
    const char* name;
    // Runs inputs [first, first + count) of `seed`; input i depends on (seed, i) alone.
    void (*run)(uint64_t seed, uint64_t first, uint64_t count);
};

// The generator of input `index`: any input replays alone with --from/--count.
inline FuzzRng InputRng(uint64_t seed, uint64_t index) {
    FuzzRng mix(seed ^ (index * 0xD6E8FEB86659FD93ull));
    return FuzzRng(mix.Next());
}

extern const FuzzTarget kPerfReaderTarget;
extern const FuzzTarget kSettingsTarget;
extern const FuzzTarget kAdapterListsTarget;
extern const FuzzTarget kAddressScannerTarget;
