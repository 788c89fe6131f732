// Loading, saving and exporting settings through the dock's INI file.
#include "dock_fixture.h"

#include <utility>

namespace vantrel_test {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The section's keys and values, in file order.
Pairs ReadSection(const std::string& ini, const std::string& section) {
    std::vector<char> buffer(65536);
    DWORD length = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             ini.c_str());
    Pairs pairs;
    for (DWORD at = 0; at < length;) {
        std::string line(&buffer[at]);
        at += static_cast<DWORD>(line.size()) + 1;
        const size_t equals = line.find('=');
        pairs.emplace_back(line.substr(0, equals), equals == std::string::npos ? "" : line.substr(equals + 1));
    }
    return pairs;
}

const Pairs kDefaults = {
    {"Title", "Vantrel"},        {"Command", ""},           {"Parameters", ""},
    {"ImagesFolder", "icons"},   {"FontName", "Tahoma"},    {"FontSize", "34"},
    {"FontColor", "16777215"},   {"FontAlpha", "255"},      {"UploadColor", "16711680"},
    {"UploadAlpha", "192"},      {"DownloadColor", "65280"}, {"DownloadAlpha", "193"},
    {"BackgroundColor", "0"},    {"BackgroundAlpha", "91"}, {"FrameColor", "16777215"},
    {"FrameAlpha", "91"},        {"DockletData", "11"},     {"LabelData", "8"},
    {"InterfaceDescription", ""}, {"GUID", ""},              {"MACAddress", ""},
    {"IpV4Address", ""},         {"IpV4Gateway", ""},       {"NetMask", ""},
    {"IPAddressUrl", ""},         {"RateUnit", "0"},         {"GraphScale", "0"},
    {"AdapterChoice", "0"},      {"UsageStartDay", "1"},    {"UsageAllowance", "0"},
    {"UsageCount", "0"},         {"IPv6AddressUrl", ""},
};

std::string ValueOf(const Pairs& pairs, const std::string& key) {
    for (const auto& [name, value] : pairs) {
        if (name == key) {
            return value;
        }
    }
    return "<missing>";
}

class SettingsTest : public DockTest {
protected:
    // Creates an icon from ini/section, saves it to a fresh file and returns what was written.
    Pairs LoadAndSave(const std::string& ini, const char* section) {
        icon_ = &dock->CreateIcon(ini.c_str(), section);
        const std::string out = scratch->File("saved-" + std::to_string(++saves_) + ".ini");
        dock->Save(*icon_, out.c_str(), "Saved", false);
        return ReadSection(out, "Saved");
    }

    Icon* icon_ = nullptr;

private:
    int saves_ = 0;
};

TEST_F(SettingsTest, FreshIconSavesAll32KeysWithDefaultsInOrder) {
    Icon& icon = dock->CreateIcon();
    const std::string ini = scratch->File("dock.ini");
    dock->Save(icon, ini.c_str(), "Docklet1", false);
    EXPECT_EQ(ReadSection(ini, "Docklet1"), kDefaults);

    // A section without keys loads the same, without the configure label.
    WriteFile(ini, "[Other]\r\nTitle=Elsewhere\r\n");
    EXPECT_EQ(LoadAndSave(ini, "Missing"), kDefaults);
    EXPECT_EQ(icon_->Count(EventKind::Label), 0);
}

TEST_F(SettingsTest, StoredValuesAreParsedAndCutAsTheyAreRead) {
    struct Case {
        std::string line;
        std::string key;
        std::string saved;
    };
    const Case cases[] = {
        // Numbers parse like _wtoi; alphas keep their low byte.
        {"FontSize=12px", "FontSize", "12"},
        {"FontAlpha=300", "FontAlpha", "44"},
        {"UploadAlpha=-1", "UploadAlpha", "255"},
        {"DownloadAlpha=abc", "DownloadAlpha", "0"},
        {"FrameAlpha=  +77", "FrameAlpha", "77"},
        {"FontColor=255", "FontColor", "255"},
        {"DockletData=-5", "DockletData", "-5"},
        // Choices outside their range read as the first.
        {"RateUnit=2", "RateUnit", "2"},
        {"GraphScale=3", "GraphScale", "0"},
        {"AdapterChoice=-1", "AdapterChoice", "0"},
        // Texts are cut to their read limits.
        {"Title=" + std::string(300, 'T'), "Title", std::string(259, 'T')},
        {"FontName=" + std::string(40, 'F'), "FontName", std::string(31, 'F')},
        {"InterfaceDescription=" + std::string(300, 'D'), "InterfaceDescription", std::string(255, 'D')},
        {"ImagesFolder=" + std::string(280, 'i'), "ImagesFolder", std::string(259, 'i')},
        {"IPv6AddressUrl=" + std::string(3000, 'u'), "IPv6AddressUrl", std::string(2047, 'u')},
        // Stored addresses are replaced by the refresh that ends creation: no
        // adapter has an empty GUID, so they end empty.
        {"MACAddress=00:11:22:33:44:55", "MACAddress", ""},
        {"IpV4Address=10.1.2.3", "IpV4Address", ""},
        {"IpV4Gateway=10.1.2.1", "IpV4Gateway", ""},
        {"NetMask=255.0.0.0", "NetMask", ""},
    };
    std::string content = "[N]\r\n";
    for (const Case& c : cases) {
        content += c.line + "\r\n";
    }
    // Read as at most 19 characters, then parsed: no wrap into nonsense, no crash.
    content += "LabelData=99999999999999999999999\r\n";
    const std::string ini = scratch->File("numbers.ini");
    WriteFile(ini, content);
    const Pairs saved = LoadAndSave(ini, "N");
    for (const Case& c : cases) {
        EXPECT_EQ(ValueOf(saved, c.key), c.saved) << c.line;
    }
    EXPECT_NE(ValueOf(saved, "LabelData"), "<missing>");
    EXPECT_NE(ValueOf(saved, "LabelData"), "8");
}

TEST_F(SettingsTest, SaveForExportWritesTheSameFile) {
    Icon& icon = dock->CreateIcon();
    const std::string plain = scratch->File("plain.ini");
    const std::string exported = scratch->File("export.ini");
    dock->Save(icon, plain.c_str(), "S", false);
    dock->Save(icon, exported.c_str(), "S", true);
    EXPECT_FALSE(ReadFile(plain).empty());
    EXPECT_EQ(ReadFile(plain), ReadFile(exported));
}

TEST_F(SettingsTest, StoredValuesSurviveALoadSaveRoundTrip) {
    const std::string ini = scratch->File("round.ini");
    Pairs stored = kDefaults;
    stored[0].second = "My Link";
    stored[1].second = "C:\\Windows\\notepad.exe";
    stored[3].second = "glass";
    stored[5].second = "40";
    stored[16].second = "63";
    stored[17].second = "33";
    stored[18].second = "Fast Ethernet (PCI/2) #2";
    stored[19].second = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    stored[24].second = "http://127.0.0.1:8080/ip";
    stored[25].second = "1";
    stored[26].second = "2";
    stored[28].second = "31";
    stored[29].second = "1000000000";
    stored[30].second = "2";
    stored[31].second = "https://[2001:db8::1]:8443/ip";
    std::string content = "[R]\r\n";
    for (const auto& [key, value] : stored) {
        content += key + "=" + value + "\r\n";
    }
    WriteFile(ini, content);
    EXPECT_EQ(LoadAndSave(ini, "R"), stored);
}

TEST_F(SettingsTest, NonAsciiPathsNameTheRightFile) {
    // The dock passes INI names in the ANSI code page (1252 here): e-acute is one byte.
    ScratchFolder folder("vantrel-caf\xe9");
    const std::string ini = folder.File("r\xe9glages.ini");
    WriteFile(ini, "[Ic\xf4ne]\r\nTitle=Caf\xe9 link\r\nFontSize=21\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Ic\xf4ne");
    EXPECT_EQ(icon.Count(EventKind::Label), 0);

    dock->Save(icon, ini.c_str(), "Ic\xf4ne", false);
    const Pairs saved = ReadSection(ini, "Ic\xf4ne");
    EXPECT_EQ(ValueOf(saved, "Title"), "Caf\xe9 link");
    EXPECT_EQ(ValueOf(saved, "FontSize"), "21");
    EXPECT_EQ(saved.size(), 32u);
}

TEST_F(SettingsTest, UsageKeysOutOfRangeReadAsTheirDefaults) {
    const std::string ini = scratch->File("usage.ini");
    const std::pair<std::string, std::string> cases[] = {
        {"UsageStartDay=0\r\nUsageAllowance=-1\r\nUsageCount=3\r\n", "1 0 0"},
        {"UsageStartDay=32\r\nUsageAllowance=1000000001\r\nUsageCount=-1\r\n", "1 0 0"},
        {"UsageStartDay=15\r\nUsageAllowance=250\r\nUsageCount=1\r\n", "15 250 1"},
    };
    for (const auto& [lines, expected] : cases) {
        WriteFile(ini, "[U]\r\n" + lines);
        const Pairs saved = LoadAndSave(ini, "U");
        EXPECT_EQ(ValueOf(saved, "UsageStartDay") + " " + ValueOf(saved, "UsageAllowance") + " " +
                      ValueOf(saved, "UsageCount"),
                  expected)
            << lines;
    }
}

TEST_F(SettingsTest, ExportNamesTheImageSetFolderOnlyForIndexZeroAndOnlyWhenItFits) {
    Icon& icon = dock->CreateIcon();
    std::vector<char> out(1024, 'x');
    EXPECT_FALSE(dock->ExportFiles(icon, out.data(), 1));
    EXPECT_EQ(out[0], 'x') << "index 1 leaves the buffer alone";
    EXPECT_FALSE(dock->ExportFiles(icon, out.data(), -1));
    ASSERT_TRUE(dock->ExportFiles(icon, out.data(), 0));
    EXPECT_STREQ(out.data(), "Docklets\\Vantrel\\icons");

    const std::string ini = scratch->File("export.ini");
    WriteFile(ini, "[E]\r\nImagesFolder=" + std::string(250, 'i') + "\r\n");
    Icon& longer = dock->CreateIcon(ini.c_str(), "E");
    // 17 + 250 characters do not fit 260 and a terminator.
    out.assign(1024, 'x');
    EXPECT_FALSE(dock->ExportFiles(longer, out.data(), 0));
    EXPECT_EQ(out[0], 'x');
    EXPECT_EQ(out[261], 'x');
    // Exactly 260 characters still fit.
    dock->relativeFolder = std::string(9, 'r') + "\\";
    ASSERT_TRUE(dock->ExportFiles(longer, out.data(), 0));
    EXPECT_EQ(std::string(out.data()).size(), 260u);
}

}  // namespace
}  // namespace vantrel_test
