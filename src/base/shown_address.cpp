#include "base/shown_address.h"

#include <cwchar>

const wchar_t* ShownAddress(const DockletInstance& instance) noexcept {
    constexpr size_t capacity = sizeof instance.ipV4Address / sizeof instance.ipV4Address[0];
    if (instance.ipV4Address[0] != L'\0' && wcsncmp(instance.ipV4Address, L"0.0.0.0", capacity) != 0) {
        return instance.ipV4Address;
    }
    return instance.ipV6Address[0] != L'\0' ? instance.ipV6Address : instance.ipV6TemporaryAddress;
}
