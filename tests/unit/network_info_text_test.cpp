// Words and lease times of the network information dialog.
#include "info/lease_time_text.h"
#include "info/network_info_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <ctime>

namespace {

TEST(NetworkInfoText, StatusWords) {
    const std::pair<int32_t, const wchar_t*> cases[] = {
        {0, L"Undefined"}, {1, L"Up"},          {2, L"Down"},   {3, L"Testing"},          {4, L"Unknown"},
        {5, L"Dormant"},   {6, L"Not Present"}, {7, L"Lower Layer Down"}, {8, L"Undefined"}, {-1, L"Undefined"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(OperStatusWord(c.first), c.second) << c.first;
    }
}

// The user's locale (English in the tests' prefix), whatever C locale the
// dock's process has chosen, and that choice left as it was.
TEST(NetworkInfoText, LeaseTimeIsLocalWithWeekdayInTheUsersLocaleAndLeavesTheCLocaleAlone) {
    static const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    const __time64_t obtained = 1700000000;  // 2023-11-14 22:13:20 UTC
    tm local{};
    ASSERT_EQ(_localtime64_s(&local, &obtained), 0);
    const char* chosen = setlocale(LC_ALL, "German");
    const std::string dockLocale = chosen ? chosen : setlocale(LC_ALL, "C");

    std::wstring text;
    ASSERT_TRUE(FormatLeaseTime(obtained, text));
    const std::string narrow(text.begin(), text.end());
    const std::string weekday = kWeekdays[local.tm_wday];
    EXPECT_EQ(narrow.substr(0, weekday.size() + 2), weekday + ", ") << narrow;
    EXPECT_NE(narrow.find(std::to_string(local.tm_year + 1900)), std::string::npos) << narrow;
    EXPECT_NE(narrow.find(":13:20"), std::string::npos) << narrow;
    EXPECT_EQ(setlocale(LC_ALL, nullptr), dockLocale);
    setlocale(LC_ALL, "C");

    EXPECT_FALSE(FormatLeaseTime(-1, text)) << "no local-time form";
    EXPECT_FALSE(FormatLeaseTime(INT64_MAX, text)) << "past what the system converts";
}

}  // namespace
