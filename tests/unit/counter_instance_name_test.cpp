#include "measure/counter_instance_name.h"

#include <gtest/gtest.h>

#include <string>

TEST(CounterInstanceName, RewritesTheCharactersTheSystemRewrites) {
    wchar_t name[] = L"Fast Ethernet (PCI/2) #2";
    ToCounterInstanceName(name);
    EXPECT_EQ(std::wstring(name), L"Fast Ethernet [PCI_2] _2");

    wchar_t plain[] = L"Loopback Adapter";
    ToCounterInstanceName(plain);
    EXPECT_EQ(std::wstring(plain), L"Loopback Adapter");
    ToCounterInstanceName(nullptr);
}

TEST(CounterInstanceName, ReplaceAllCharsIgnoresNullTextAndZeroCharacters) {
    wchar_t text[] = L"a-b-c";
    ReplaceAllChars(text, L'-', 0);
    ReplaceAllChars(text, 0, L'x');
    EXPECT_EQ(std::wstring(text), L"a-b-c");
    ReplaceAllChars(text, L'-', L'+');
    EXPECT_EQ(std::wstring(text), L"a+b+c");
    ReplaceAllChars(nullptr, L'a', L'b');
}
