#include "core/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct InstanceOwner {
    DockletInstance* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    ~InstanceOwner() { std::free(instance); }
};

TEST(LoadSettings, CounterInstanceNameIsDerivedFromTheDescription) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string ini = std::string(temp) + "vantrel-unit-settings.ini";
    FILE* file = std::fopen(ini.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("[A]\r\nInterfaceDescription=Fast Ethernet (PCI/2) #2\r\n", file);
    std::fclose(file);

    InstanceOwner owner;
    LoadSettings(owner.instance, ini.c_str(), "A");
    DeleteFileA(ini.c_str());
    EXPECT_STREQ(owner.instance->interfaceDescription, L"Fast Ethernet (PCI/2) #2");
    EXPECT_STREQ(owner.instance->counterInstanceName, L"Fast Ethernet [PCI_2] _2");
}

TEST(LoadSettings, NullNamesGiveDefaultsAndNoCounterInstance) {
    InstanceOwner owner;
    LoadSettings(owner.instance, nullptr, "A");
    DockletInstance& d = *owner.instance;
    EXPECT_STREQ(d.title, L"Vantrel");
    EXPECT_STREQ(d.imagesFolder, L"icons");
    EXPECT_STREQ(d.fontName, L"Tahoma");
    EXPECT_EQ(d.fontSize, 34);
    EXPECT_EQ(d.fontColor, 0xFFFFFFu);
    EXPECT_EQ(d.uploadColor, 0xFF0000u);
    EXPECT_EQ(d.uploadAlpha, 192);
    EXPECT_EQ(d.downloadAlpha, 193);
    EXPECT_EQ(d.backgroundAlpha, 91);
    EXPECT_EQ(d.frameAlpha, 91);
    EXPECT_EQ(d.dockletData, 11u);
    EXPECT_EQ(d.labelData, 8u);
    EXPECT_STREQ(d.counterInstanceName, L"");
    EXPECT_EQ(d.connected, 0);
}

}  // namespace
