// A fixed-capacity ring of samples that keeps the newest and drops the oldest.
//
// Logical indexes run from `first` to `last`; index i lives in slot
// i mod capacity (a negative remainder has capacity added). The 16-bit index
// arithmetic is deliberate: readers walk the ring with exactly this rule.
#pragma once

#include <cstdint>
#include <new>

template <typename T>
class Warr {
public:
    Warr(int16_t slotCount, T* buffer) noexcept { SetStorage(slotCount, buffer); }
    virtual ~Warr() { ReleaseData(); }

    Warr(const Warr&) = delete;
    Warr& operator=(const Warr&) = delete;

    // Empties the ring and gives it new slots: an outside buffer (never freed
    // here) or, with a null buffer, an array of its own.
    bool SetStorage(int16_t slotCount, T* buffer) noexcept {
        if (slotCount < 1) {
            return false;
        }
        T* slots = buffer;
        if (!slots) {
            slots = new (std::nothrow) T[slotCount];
            if (!slots) {
                return false;
            }
        }
        ReleaseData();
        data = slots;
        capacity = slotCount;
        ownsData = (buffer == nullptr);
        first = 1;
        last = 0;
        return true;
    }

    // A ring whose storage could not be allocated has no slot to write.
    void Append(T value) noexcept {
        if (capacity < 1) {
            return;
        }
        last = static_cast<int16_t>(last + 1);
        if (static_cast<int16_t>(last - first) == capacity) {
            first = static_cast<int16_t>(first + 1);
        }
        if (last == capacity) {
            first = static_cast<int16_t>(first - capacity);
            last = 0;
        }
        data[last] = value;
    }

    // Drops every value; the slots stay.
    void Clear() noexcept {
        first = 1;
        last = 0;
    }

    // Number of values held.
    int Count() const noexcept { return last - first + 1; }

    // The value at logical index i, first <= i <= last.
    const T& At(int32_t i) const noexcept {
        int32_t slot = i % capacity;
        if (slot < 0) {
            slot += capacity;
        }
        return data[slot];
    }

    T* data = nullptr;
    int16_t capacity = 0;
    bool ownsData = false;
    int16_t first = 1;
    int16_t last = 0;

private:
    void ReleaseData() noexcept {
        if (ownsData) {
            delete[] data;
        }
        data = nullptr;
        ownsData = false;
    }
};
