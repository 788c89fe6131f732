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

TEST(NetworkInfoText, LeaseTimeIsLocalWithWeekdayAndLeavesTheLocaleAlone) {
    static const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    const __time64_t obtained = 1700000000;
    tm local{};
    ASSERT_EQ(_localtime64_s(&local, &obtained), 0);
    setlocale(LC_ALL, "C");

    std::wstring text;
    ASSERT_TRUE(FormatLeaseTime(obtained, text));
    const std::string weekday = kWeekdays[local.tm_wday];
    EXPECT_EQ(text.substr(0, weekday.size() + 2), std::wstring(weekday.begin(), weekday.end()) + L", ");
    EXPECT_NE(text.find(L":13:20"), std::wstring::npos) << std::string(text.begin(), text.end());
    EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");

    EXPECT_FALSE(FormatLeaseTime(-1, text)) << "no local-time form";
}

}  // namespace
