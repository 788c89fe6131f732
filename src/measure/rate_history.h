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
    Warr(int16_t capacity, T* buffer) noexcept { SetStorage(capacity, buffer); }
    virtual ~Warr() { ReleaseData(); }

    Warr(const Warr&) = delete;
    Warr& operator=(const Warr&) = delete;

    // Empties the ring and gives it new slots: an outside buffer (never freed
    // here) or, with a null buffer, an array of its own.
    bool SetStorage(int16_t capacity, T* buffer) noexcept {
        if (capacity < 1) {
            return false;
        }
        T* slots = buffer;
        if (!slots) {
            slots = new (std::nothrow) T[capacity];
            if (!slots) {
                return false;
            }
        }
        ReleaseData();
        data = slots;
        this->capacity = capacity;
        ownsData = (buffer == nullptr);
        first = 1;
        last = 0;
        return true;
    }

    void Append(T value) noexcept {
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
