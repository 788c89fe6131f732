#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

TEST(CopyText, CutsToCapacityAndAlwaysTerminates) {
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    CopyText(small, L"abcdef");
    EXPECT_EQ(std::wstring(small), L"abc");
    CopyText(small, static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(std::wstring(small), L"");
    char narrow[3];
    CopyText(narrow, "xyz");
    EXPECT_EQ(std::string(narrow), "xy");
}

TEST(AnsiConversion, WholeConversionsRefuseWhatDoesNotFit) {
    wchar_t wide[4];
    EXPECT_TRUE(AnsiToWide("abc", wide, 4));
    EXPECT_EQ(std::wstring(wide), L"abc");
    EXPECT_FALSE(AnsiToWide("abcd", wide, 4));
    EXPECT_EQ(std::wstring(wide), L"");

    char narrow[4];
    EXPECT_TRUE(WideToAnsi(L"abc", narrow, 4));
    EXPECT_FALSE(WideToAnsi(L"abcd", narrow, 4));
    EXPECT_EQ(std::string(narrow), "");
    // A character with no form in the ANSI code page would name another file.
    EXPECT_FALSE(WideToAnsi(L"a\u4e2d", narrow, 4));
}

TEST(AnsiConversion, CutConversionKeepsWholeCharacters) {
    char label[6];
    WideToAnsiCut(L"Total Transfer", label, sizeof label);
    EXPECT_EQ(std::string(label), "Total");
    WideToAnsiCut(L"ab", label, sizeof label);
    EXPECT_EQ(std::string(label), "ab");
    // A surrogate pair is never split at the cut.
    WideToAnsiCut(L"abcd\U0001F600", label, sizeof label);
    EXPECT_EQ(std::string(label), "abcd");
}
