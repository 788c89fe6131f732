// Plain functions of the settings pages: preview sizes, percentages, the sheet
// template's help button, the font list's filter and the size box.
#include "config/config_sheet.h"
#include "config/font_page.h"
#include "config/image_preview.h"
#include "config/opacity_slider.h"
#include "render/preview_picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ImagePreview, PicturesFillTheirControlWithTheirAspectKeptAndLargeImagesAreDrawnScaled) {
    struct Case {
        int width, height;
        SIZE room;
        LONG shownWidth, shownHeight;
        bool byDrawing;
    };
    const Case cases[] = {
        {128, 128, {192, 192}, 192, 192, false}, {512, 256, {192, 192}, 192, 96, true},
        {100, 300, {192, 192}, 64, 192, true},   {256, 256, {192, 208}, 192, 192, false},
        {257, 10, {192, 192}, 192, 7, true},     {0, 10, {192, 192}, 0, 0, false},
        {100, 300, {288, 312}, 104, 312, true},  {150, 60, {261, 83}, 207, 83, false},
        {256, 256, {0, 312}, 0, 0, false},
    };
    for (const Case& c : cases) {
        const SIZE shown = FitInside(c.width, c.height, c.room);
        EXPECT_EQ(shown.cx, c.shownWidth) << c.width << "x" << c.height;
        EXPECT_EQ(shown.cy, c.shownHeight) << c.width << "x" << c.height;
        EXPECT_EQ(PreviewScalesByDrawing(c.width, c.height), c.byDrawing) << c.width << "x" << c.height;
    }
}

TEST(OpacitySlider, PercentDropsTheRemainder) {
    const std::pair<uint8_t, std::wstring> cases[] = {
        {255, L"100%"}, {192, L"75%"}, {193, L"75%"}, {128, L"50%"}, {91, L"35%"}, {0, L"0%"}};
    for (const auto& [alpha, text] : cases) {
        wchar_t shown[20];
        FormatOpacityPercent(alpha, shown, 20);
        EXPECT_EQ(shown, text) << int(alpha);
    }
}

TEST(ConfigSheet, ContextHelpIsClearedInBothTemplateKinds) {
    const DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CONTEXTHELP;
    DWORD standard[4] = {style, 0, 0, 0};
    RemoveContextHelpStyle(standard);
    EXPECT_EQ(standard[0], style & ~static_cast<DWORD>(DS_CONTEXTHELP));

    WORD extended[12] = {1, 0xFFFF, 0, 0, 0x55, 0x66, LOWORD(style), HIWORD(style)};
    RemoveContextHelpStyle(extended);
    EXPECT_EQ(MAKELONG(extended[6], extended[7]), style & ~static_cast<DWORD>(DS_CONTEXTHELP));
    EXPECT_EQ(extended[4], 0x55) << "the extended style stays";
}

TEST(FontPage, ListTakesTrueTypeFamiliesOnce) {
    const HWND list = CreateWindowW(L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 100,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    struct Reported {
        const wchar_t* face;
        BYTE charset;
        DWORD type;
    };
    const Reported reported[] = {{L"Tahoma", ANSI_CHARSET, TRUETYPE_FONTTYPE},
                                 {L"Tahoma", GREEK_CHARSET, TRUETYPE_FONTTYPE},
                                 {L"tahoma", RUSSIAN_CHARSET, TRUETYPE_FONTTYPE},
                                 {L"Courier", ANSI_CHARSET, RASTER_FONTTYPE},
                                 {L"Arial", ANSI_CHARSET, TRUETYPE_FONTTYPE | DEVICE_FONTTYPE}};
    for (const Reported& font : reported) {
        LOGFONTW logical{};
        logical.lfCharSet = font.charset;
        lstrcpynW(logical.lfFaceName, font.face, LF_FACESIZE);
        EXPECT_EQ(AddFontFace(&logical, nullptr, font.type, reinterpret_cast<LPARAM>(list)), 1);
    }
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t face[LF_FACESIZE] = L"";
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
        entries.push_back(face);
    }
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"Arial", L"Tahoma"}));
    DestroyWindow(list);
}

TEST(FontPage, SizeBoxReadsLeadingDigitsAndEmptyMeans34) {
    EXPECT_EQ(ParseFontSize(L""), 34);
    EXPECT_EQ(ParseFontSize(L"48"), 48);
    EXPECT_EQ(ParseFontSize(L"200"), 200);
    EXPECT_EQ(ParseFontSize(L"0"), 0);
}

}  // namespace
