// Bytes placed so that they end exactly where an inaccessible page begins: a
// read one byte past the end faults at once instead of passing unnoticed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

class GuardedBytes {
public:
    GuardedBytes(const uint8_t* data, size_t size) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t dataPages = (size + page - 1) / page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) {
            return;
        }
        DWORD old;
        VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - size;
        if (size) {
            std::memcpy(data_, data, size);
        }
        size_ = size;
    }
    ~GuardedBytes() {
        if (base_) {
            VirtualFree(base_, 0, MEM_RELEASE);
        }
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool ok() const { return base_ != nullptr; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
