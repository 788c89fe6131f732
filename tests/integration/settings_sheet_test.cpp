// The settings sheet driven as a user drives it: tabs, controls, OK, Cancel
// and Escape, then the settings read back as the dock stores them.
#include "sheet_fixture.h"

#include <colordlg.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>

namespace vantrel_test {
namespace {

using namespace testdock;

const std::wstring kAutomatic = L"Automatic (the adapter with the default route)";

TEST_F(SheetTest, CancelOrEscapeAfterEditingEveryPageChangesNothing) {
    for (void (*end)(HWND) : {&PressCancel, &PressEscape}) {
        Icon& icon = CreateConfiguredIcon();
        const std::string before = SavedFile(icon);
        const int imageFiles = icon.Count(EventKind::ImageFile);
        Configure(icon, [&](HWND sheet) {
            HWND page = CurrentSheetPage(sheet);
            TypeText(page, 1025, L"Changed");
            SetCheckBox(page, 1035, true);
            EXPECT_TRUE(ChooseListEntry(ShowSheetPage(sheet, kIcon), 1008, L"mono"));
            TypeText(ShowSheetPage(sheet, kFont), 1050, L"50");
            MoveSlider(ShowSheetPage(sheet, kGraph), 1061, 10);
            end(sheet);
        });
        EXPECT_EQ(SavedFile(icon), before);
        EXPECT_EQ(icon.Count(EventKind::ImageFile), imageFiles);
        EXPECT_EQ(LoadsOf("mono\\send.png"), 0);
        dock->Destroy(icon);
    }
}

TEST_F(SheetTest, OkOnTheFirstPageCommitsAndRefreshesAtOnce) {
    Icon& icon = CreateConfiguredIcon("FontSize=40\r\nUploadAlpha=7\r\n");
    Configure(icon, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        EXPECT_EQ(ControlText(page, 1003), L"1 Interface(s) found");
        EXPECT_EQ(ControlText(page, 1011), Widen(Adapter().guid));
        TypeText(page, 1025, L"Renamed");
        ClickButton(page, 1033);
        PressOk(sheet);
    });
    EXPECT_EQ(icon.label, "Renamed") << "the label follows at once";
    EXPECT_TRUE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(Saved(icon, "Title"), "Renamed");
    EXPECT_EQ(Saved(icon, "LabelData"), "32");
    EXPECT_EQ(Saved(icon, "FontSize"), "40");
    EXPECT_EQ(Saved(icon, "UploadAlpha"), "7");
}

TEST_F(SheetTest, GeneralPageShowsAndStoresTheBits) {
    struct Case {
        std::string ini;
        std::vector<int> checkedOnEntry;
        const char* key;
        std::string stored;
    };
    const Case cases[] = {
        // Version 6 radio buttons keep one check in their group: the first bit's.
        {"LabelData=6\r\n", {1026}, "LabelData", "2"},
        {"LabelData=9\r\n", {1031, 1023}, "LabelData", "9"},
        {"DockletData=11\r\n", {1019, 1020, 1022}, "DockletData", "11"},
        {"DockletData=1073741855\r\n", {1019, 1020, 1021, 1022, 1024}, "DockletData", "31"},
        {"LabelData=128\r\n", {1039}, "LabelData", "128"},
        {"LabelData=384\r\n", {1039}, "LabelData", "128"},
        {"LabelData=257\r\n", {1040, 1023}, "LabelData", "257"},
        {"DockletData=81\r\n", {1019, 1024, 1041}, "DockletData", "81"},
    };
    for (const Case& c : cases) {
        Icon& icon = CreateConfiguredIcon(c.ini);
        Configure(icon, [&](HWND sheet) {
            HWND page = CurrentSheetPage(sheet);
            for (int id : c.checkedOnEntry) {
                EXPECT_TRUE(IsButtonChecked(page, id)) << c.ini << " control " << id;
            }
            PressOk(sheet);
        });
        EXPECT_EQ(Saved(icon, c.key), c.stored) << c.ini;
        dock->Destroy(icon);
    }
}

TEST_F(SheetTest, LongTitleIsCutAndTextsAreStoredUnchecked) {
    Icon& icon = CreateConfiguredIcon();
    Configure(icon, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        TypeText(page, 1025, std::wstring(600, L'T'));
        TypeText(page, 1027, L"not a web address");
        TypeText(page, 1050, L"https://[2001:db8::1]/ip");
        TypeText(page, 1028, L"");
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(icon, "Title"), std::string(499, 'T'));
    EXPECT_EQ(Saved(icon, "IPAddressUrl"), "not a web address");
    EXPECT_EQ(Saved(icon, "IPv6AddressUrl"), "https://[2001:db8::1]/ip");
    EXPECT_EQ(Saved(icon, "Command"), "");
}

TEST_F(SheetTest, ChosenAdapterGivesItsNameAndCounterInstance) {
    AdapterPlan gigabit;
    gigabit.guid = "{00000000-0000-0000-0000-000000000002}";
    gigabit.description = "Gigabit Adapter (PCI)/2 #2";
    adapters.adapters.push_back(gigabit);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    for (int second = 10; second < 13; ++second) {
        AdapterCounters counters{L"Gigabit Adapter [PCI]_2 _2", 0, 3000ull * second, 0, 100000000};
        perf.Push(BuildPerfBlock(NetworkInterfaceBlock({counters}, second * kPerfFreq, kPerfFreq)));
    }
    Configure(icon, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        EXPECT_EQ(ListEntries(page, 1002),
                  (std::vector<std::wstring>{kAutomatic, L"Test Ethernet Adapter", L"Gigabit Adapter (PCI)/2 #2"}));
        EXPECT_EQ(ControlText(page, 1003), L"2 Interface(s) found");
        EXPECT_TRUE(ChooseListEntry(page, 1002, L"Gigabit Adapter (PCI)/2 #2"));
        EXPECT_EQ(ControlText(page, 1011), Widen(gigabit.guid));
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(icon, "InterfaceDescription"), gigabit.description);
    EXPECT_EQ(Saved(icon, "GUID"), gigabit.guid);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 3.0K") << "counters read from the derived instance name";
}

TEST_F(SheetTest, AbsentAdapterKeepsItsSettingAndStaysStopped) {
    Adapter().inInfoList = false;
    Adapter().inAddressesList = false;
    Icon& icon = CreateConfiguredIcon();
    Configure(icon, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        EXPECT_EQ(ListSelection(page, 1002), L"");
        EXPECT_EQ(ControlText(page, 1011), L"Select Network Adapter");
        EXPECT_EQ(ControlText(page, 1003), L"No Interface(s) found");
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(icon, "InterfaceDescription"), Adapter().description);
    EXPECT_EQ(Saved(icon, "GUID"), Adapter().guid);
    EXPECT_FALSE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(icon.imageFile, "VantrelDocklet\\icons\\na.png");
}

TEST_F(SheetTest, AutomaticEntryRateUnitAndGraphScale) {
    AdapterPlan wifi;
    wifi.guid = "{00000000-0000-0000-0000-0000000000F1}";
    wifi.description = "Wireless Adapter";
    wifi.interfaceIndex = 23;
    adapters.adapters.push_back(wifi);
    adapters.routeInterface = 23;

    // A new icon opens on the automatic entry, with no adapter to show; OK makes it follow the route.
    Icon& fresh = dock->CreateIcon();
    Configure(fresh, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        EXPECT_EQ(ListSelection(page, 1002), kAutomatic);
        EXPECT_EQ(ControlText(page, 1011), L"");
        EXPECT_EQ(ControlText(page, 1003), L"2 Interface(s) found");
        EXPECT_TRUE(IsButtonChecked(page, 1036));
        ClickButton(page, 1038);
        HWND graph = ShowSheetPage(sheet, kGraph);
        EXPECT_TRUE(IsButtonChecked(graph, 1073));
        ClickButton(graph, 1074);
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(fresh, "AdapterChoice"), "1");
    EXPECT_EQ(Saved(fresh, "GUID"), wifi.guid) << "the route's adapter at that moment";
    EXPECT_EQ(Saved(fresh, "InterfaceDescription"), wifi.description);
    EXPECT_EQ(Saved(fresh, "RateUnit"), "2");
    EXPECT_EQ(Saved(fresh, "GraphScale"), "1");
    EXPECT_EQ(fresh.imageFile, "VantrelDocklet\\icons\\background.png");

    // It reopens on the entry, showing the adapter in use; choosing one by name ends following.
    Configure(fresh, [&](HWND sheet) {
        HWND page = CurrentSheetPage(sheet);
        EXPECT_EQ(ListSelection(page, 1002), kAutomatic);
        EXPECT_EQ(ControlText(page, 1011), Widen(wifi.guid));
        EXPECT_TRUE(IsButtonChecked(page, 1038));
        EXPECT_TRUE(IsButtonChecked(ShowSheetPage(sheet, kGraph), 1074));
        EXPECT_TRUE(ChooseListEntry(page, 1002, L"Test Ethernet Adapter"));
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(fresh, "AdapterChoice"), "0");
    EXPECT_EQ(Saved(fresh, "GUID"), Adapter().guid);
}

TEST_F(SheetTest, ImageSetChangesOnlyWhenTheNameDoes) {
    Icon& cased = CreateConfiguredIcon("ImagesFolder=ICONS\r\n");
    const int loads = LoadsOf("send.png");
    Configure(cased, [&](HWND sheet) {
        HWND page = ShowSheetPage(sheet, kIcon);
        EXPECT_EQ(ListSelection(page, 1008), L"icons");
        // Its size follows the control's (WindowFitTest).
        const SIZE shown = PictureSize(page, 1057);
        EXPECT_TRUE(shown.cx > 0 && shown.cx == shown.cy);
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(cased, "ImagesFolder"), "ICONS");
    EXPECT_EQ(LoadsOf("send.png"), loads) << "no reload for a change of letter case";

    Icon& hidden = CreateConfiguredIcon("DockletData=43\r\n");
    Configure(hidden, [&](HWND sheet) {
        HWND page = ShowSheetPage(sheet, kIcon);
        std::vector<std::wstring> sets = ListEntries(page, 1008);
        std::sort(sets.begin(), sets.end());
        EXPECT_EQ(sets, (std::vector<std::wstring>{L"icons", L"mono"}));
        EXPECT_TRUE(ChooseListEntry(page, 1008, L"mono"));
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(hidden, "ImagesFolder"), "mono");
    EXPECT_EQ(hidden.imageFile, "VantrelDocklet\\mono\\empty.png");
    EXPECT_EQ(LoadsOf("mono\\send.png"), 1);
    EXPECT_EQ(LoadsOf("mono\\recv.png"), 1);
}

TEST_F(SheetTest, FontPageListsFamiliesOnceAndStoresSizeColourAndOpacity) {
    struct Case {
        std::wstring typed;
        std::string stored;
    };
    const Case cases[] = {{L"48", "48"}, {L"200", "200"}, {L"", "34"}};
    Hooks().realColorDialog = true;
    for (const Case& c : cases) {
        Icon& icon = CreateConfiguredIcon();
        Configure(icon, [&](HWND sheet) {
            DialogDriver colour(ColourDialogOf(icon.hwnd));
            colour.Do([](HWND dialog) {
                TypeText(dialog, COLOR_RED, L"10");
                TypeText(dialog, COLOR_GREEN, L"20");
                TypeText(dialog, COLOR_BLUE, L"30");
                CloseDialog(dialog, Closing::OkButton);
            });
            HWND page = ShowSheetPage(sheet, kFont);
            std::vector<std::wstring> faces = ListEntries(page, 1049);
            EXPECT_EQ(std::count(faces.begin(), faces.end(), L"Tahoma"), 1);
            EXPECT_EQ(std::adjacent_find(faces.begin(), faces.end()), faces.end()) << "a family listed twice";
            EXPECT_EQ(ListSelection(page, 1049), L"Tahoma");
            TypeText(page, 1050, c.typed);
            ClickButton(page, 1052);
            EXPECT_TRUE(colour.Done());
            MoveSlider(page, 1053, 0);
            EXPECT_EQ(ControlText(page, 1054), L"0%");
            PressOk(sheet);
        });
        EXPECT_EQ(Saved(icon, "FontSize"), c.stored);
        EXPECT_EQ(Saved(icon, "FontColor"), std::to_string(RGB(10, 20, 30)));
        EXPECT_EQ(Saved(icon, "FontAlpha"), "0");
        dock->Destroy(icon);
    }
}

TEST_F(SheetTest, GraphPageAppliesSlidersAndChosenColoursOnly) {
    int answers = 0;
    Hooks().chooseColor = [&](const ColorDialogCall&, COLORREF* chosen) {
        *chosen = RGB(1, 2, 3);
        return answers++ == 0;  // the second dialog is cancelled
    };
    Icon& icon = CreateConfiguredIcon();
    Configure(icon, [&](HWND sheet) {
        HWND page = ShowSheetPage(sheet, kGraph);
        EXPECT_EQ(ControlText(page, 1062), L"75%");
        MoveSlider(page, 1061, 128);
        EXPECT_EQ(ControlText(page, 1062), L"50%");
        ClickButton(page, 1063);
        ClickButton(page, 1070);
        const SIZE sample = PictureSize(page, 1069);
        EXPECT_TRUE(sample.cx > 0 && sample.cx == sample.cy);
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(icon, "UploadAlpha"), "128");
    EXPECT_EQ(Saved(icon, "DownloadColor"), std::to_string(RGB(1, 2, 3)));
    EXPECT_EQ(Saved(icon, "FrameColor"), "16777215");
    ASSERT_EQ(Hooks().colorDialogCalls.size(), 2u);
    for (const ColorDialogCall& call : Hooks().colorDialogCalls) {
        EXPECT_TRUE(call.customColorsAllZero);
        EXPECT_TRUE(call.versionSixControls);
        EXPECT_EQ(call.flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
    }
    EXPECT_EQ(Hooks().colorDialogCalls[1].initial, 16777215u);
}

TEST_F(SheetTest, TwoIconsEachKeepTheirOwnSheet) {
    Icon& first = CreateConfiguredIcon();
    Icon& second = CreateConfiguredIcon();
    COLORREF next = RGB(255, 0, 0);
    Hooks().chooseColor = [&](const ColorDialogCall&, COLORREF* chosen) {
        *chosen = next;
        return true;
    };
    Configure(first, [&](HWND sheet) {
        ClickButton(ShowSheetPage(sheet, kFont), 1052);
        next = RGB(0, 0, 255);
        Configure(second, [&](HWND inner) {
            ClickButton(ShowSheetPage(inner, kFont), 1052);
            MoveSlider(CurrentSheetPage(inner), 1053, 200);
            PressOk(inner);
        });
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(first, "FontColor"), std::to_string(RGB(255, 0, 0)));
    EXPECT_EQ(Saved(first, "FontAlpha"), "255");
    EXPECT_EQ(Saved(second, "FontColor"), std::to_string(RGB(0, 0, 255)));
    EXPECT_EQ(Saved(second, "FontAlpha"), "200");
}

// Only a version 6 button answers BCM_GETIDEALSIZE.
bool IsVersionSixButton(HWND page, int id) {
    SIZE ideal{};
    return SendDlgItemMessageW(page, id, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0;
}

// A sheet session under Windows' rule for bitmaps in version 6 picture
// controls (a copy of each one with alpha), met by the module's own Common
// Controls 6 and, with its context refused, by the dock's copy rule for
// classic controls: every bitmap made or held is deleted by the end.
TEST_F(SheetTest, SessionWithPreviewsSamplesAndSliderStepsLeavesNoBitmapAlive) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "classic controls" : "the module's version 6 controls");
        Hooks().refuseActivationContexts = refused;
        Icon& icon = CreateConfiguredIcon();
        Hooks().liveBitmaps.clear();
        Hooks().bitmapsMade = 0;
        Hooks().pictureCopies = 0;
        Configure(icon, [&](HWND sheet) {
            HWND page = ShowSheetPage(sheet, kIcon);
            EXPECT_TRUE(ChooseListEntry(page, 1008, L"mono"));
            EXPECT_TRUE(ChooseListEntry(page, 1008, L"icons"));
            page = ShowSheetPage(sheet, kFont);
            EXPECT_EQ(IsVersionSixButton(page, 1052), !refused);
            TypeText(page, 1050, L"20");
            MoveSlider(page, 1053, 100);
            page = ShowSheetPage(sheet, kGraph);
            for (int step = 1; step <= 100; ++step) {
                MoveSlider(page, 1061 + step % 2 * 3, step * 2);
            }
            PressOk(sheet);
        });
        std::printf("sheet session, %s: %d bitmaps made, %d copied by their controls, %zu alive\n",
                    refused ? "classic controls" : "version 6 controls", Hooks().bitmapsMade, Hooks().pictureCopies,
                    Hooks().liveBitmaps.size());
        EXPECT_GT(Hooks().bitmapsMade, 200);
        EXPECT_EQ(Hooks().pictureCopies, Hooks().bitmapsMade) << "every picture has alpha, so every one is copied";
        EXPECT_TRUE(Hooks().liveBitmaps.empty());
        dock->Destroy(icon);
    }
}

TEST_F(SheetTest, UsagePageStoresOnOkRefusesWhatItCannotStoreAndCancelKeepsAll) {
    Icon& icon = CreateConfiguredIcon("UsageStartDay=15\r\nUsageAllowance=100000\r\nUsageCount=1\r\n");
    Configure(icon, [&](HWND sheet) {
        const HWND page = ShowSheetPage(sheet, kUsage);
        EXPECT_EQ(ControlText(page, 1140), L"15");
        EXPECT_EQ(ControlText(page, 1142), L"100");
        EXPECT_EQ(ListSelection(page, 1143), L"GB");
        EXPECT_TRUE(IsButtonChecked(page, 1145));
        EXPECT_NE(ControlText(page, 1147).find(L"\\Vantrel Docklet\\usage.db"), std::wstring::npos);
        // More GB than the setting holds: the page stays, on the field.
        TypeText(page, 1142, L"99999999");
        ShowSheetPage(sheet, kGraph);
        EXPECT_EQ(CurrentSheetPage(sheet), page);
        EXPECT_EQ(GetFocus(), GetDlgItem(page, 1142));
        TypeText(page, 1142, L"1500");
        EXPECT_TRUE(ChooseListEntry(page, 1143, L"MB"));
        TypeText(page, 1140, L"31");
        ClickButton(page, 1146);
        PressOk(sheet);
    });
    EXPECT_EQ(Saved(icon, "UsageStartDay"), "31");
    EXPECT_EQ(Saved(icon, "UsageAllowance"), "1500");
    EXPECT_EQ(Saved(icon, "UsageCount"), "2");

    const std::string before = SavedFile(icon);
    Configure(icon, [&](HWND sheet) {
        const HWND page = ShowSheetPage(sheet, kUsage);
        EXPECT_EQ(ControlText(page, 1142), L"1500");
        EXPECT_EQ(ListSelection(page, 1143), L"MB");
        TypeText(page, 1142, L"");
        TypeText(page, 1140, L"2");
        ClickButton(page, 1144);
        PressCancel(sheet);
    });
    EXPECT_EQ(SavedFile(icon), before);
}

TEST_F(SheetTest, SheetIsCentredAndScreenshotsOfTheFivePages) {
    CreateDirectoryA("..\\build\\screenshots", nullptr);
    Icon& icon = CreateConfiguredIcon("DockletData=27\r\nRateUnit=1\r\nGraphScale=1\r\n");
    Configure(icon, [&](HWND sheet) {
        RECT rect;
        GetWindowRect(sheet, &rect);
        const LONG spareX = GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left);
        const LONG spareY = GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top);
        EXPECT_EQ(rect.left, std::min(std::max(spareX / 2, 0L), spareX));
        EXPECT_EQ(rect.top, std::min(std::max(spareY / 2, 0L), spareY));
        const wchar_t* names[] = {L"general", L"icon", L"font", L"graph", L"usage"};
        for (int index = kGeneral; index <= kUsage; ++index) {
            ShowSheetPage(sheet, index);
            EXPECT_TRUE(testdock::CaptureWindowPng(sheet, std::wstring(L"..\\build\\screenshots\\settings-") + names[index] +
                                                 L".png"));
        }
        PressCancel(sheet);
    });
}

}  // namespace
}  // namespace vantrel_test
