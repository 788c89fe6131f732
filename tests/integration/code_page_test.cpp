// The dock's 8-bit texts are in the system's ANSI code page, which current
// Windows lets users set to UTF-8. CTest runs this file once in Wine's default
// code page and once under a Unicode-only locale, where Wine's is 65001.
#include "refresh_fixture.h"

#include <cstdlib>

namespace vantrel_test {
namespace {

std::string ToAnsi(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

using CodePageTest = RefreshTest;

TEST_F(CodePageTest, ImageSetWithANonAsciiNameWorksInTheSystemCodePage) {
    if (const char* expected = std::getenv("VANTREL_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected))) << "the run did not get the code page it asked for";
    }
    std::printf("ANSI code page %u\n", GetACP());

    // A copy of the shipped set under a name that is two bytes in UTF-8, one in 1252.
    const std::wstring setName = L"ic\u00f4nes";
    const std::string setAnsi = ToAnsi(setName);
    dock->rootFolder = scratch->Path();
    dock->relativeFolder = "Dock\\";
    const std::wstring target = testdock::Widen(scratch->Path()) + L"Dock\\";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr)) << GetLastError();
    ASSERT_TRUE(CreateDirectoryW((target + setName).c_str(), nullptr)) << GetLastError();
    for (const wchar_t* file : {L"background.png", L"na.png", L"empty.png", L"send.png", L"recv.png"}) {
        ASSERT_TRUE(CopyFileW((L"..\\dist\\VantrelDocklet\\icons\\" + std::wstring(file)).c_str(),
                              (target + setName + L"\\" + file).c_str(), FALSE))
            << GetLastError();
    }

    ServeCounters(0, 0, 0);
    ServeCounters(1, 0, 0);
    Icon& icon = CreateConfiguredIcon("ImagesFolder=" + setAnsi + "\r\n");

    int loaded = 0;
    for (const testdock::Event& event : dock->looseEvents) {
        if (event.kind == EventKind::LoadImage) {
            EXPECT_NE(event.text.find(setAnsi + "\\"), std::string::npos) << event.text;
            loaded += event.number != 0;
        }
    }
    EXPECT_EQ(loaded, 2) << "send.png and recv.png";
    EXPECT_EQ(icon.imageFile, "Dock\\" + setAnsi + "\\background.png");

    char exported[261] = {};
    ASSERT_TRUE(dock->ExportFiles(icon, exported, 0));
    EXPECT_EQ(std::string(exported), "Dock\\" + setAnsi);
}

}  // namespace
}  // namespace vantrel_test
