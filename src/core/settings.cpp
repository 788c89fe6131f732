#include "core/settings.h"

#include "base/host_api.h"
#include "base/image_set_path.h"
#include "base/text.h"
#include "measure/counter_instance_name.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

enum class KeyKind { Text, Int32, Color, Alpha, Flags, Ranged };

struct SettingKey {
    const wchar_t* name;
    KeyKind kind;
    size_t offset;      // of the field in DockletInstance
    size_t capacity;    // text fields: characters, terminator included
    DWORD readLimit;    // text fields: what one read may store, terminator included
    const wchar_t* defaultText;
    int32_t defaultNumber;
    int32_t lowest;   // ranged numbers: values lowest .. highest; any other reads as the default
    int32_t highest;
};

#define VANTREL_TEXT(key, field, limit, def) \
    {key, KeyKind::Text, offsetof(DockletInstance, field), sizeof(DockletInstance::field) / sizeof(wchar_t), limit, def, 0, 0, 0}
#define VANTREL_NUMBER(key, kind, field, def) \
    {key, kind, offsetof(DockletInstance, field), 0, 0, nullptr, static_cast<int32_t>(def), 0, 0}
#define VANTREL_RANGED(key, field, def, low, high) \
    {key, KeyKind::Ranged, offsetof(DockletInstance, field), 0, 0, nullptr, def, low, high}
#define VANTREL_CHOICE(key, field, count) VANTREL_RANGED(key, field, 0, 0, (count) - 1)

// The order is the order of both reading and writing.
const SettingKey kKeys[kSettingsKeyCount] = {
    VANTREL_TEXT(L"Title", title, 260, L"Vantrel"),
    VANTREL_TEXT(L"Command", command, 260, L""),
    VANTREL_TEXT(L"Parameters", parameters, 260, L""),
    VANTREL_TEXT(L"ImagesFolder", imagesFolder, 260, L"icons"),
    VANTREL_TEXT(L"FontName", fontName, 32, L"Tahoma"),
    VANTREL_NUMBER(L"FontSize", KeyKind::Int32, fontSize, 34),
    VANTREL_NUMBER(L"FontColor", KeyKind::Color, fontColor, 0xFFFFFF),
    VANTREL_NUMBER(L"FontAlpha", KeyKind::Alpha, fontAlpha, 255),
    VANTREL_NUMBER(L"UploadColor", KeyKind::Color, uploadColor, 0xFF0000),
    VANTREL_NUMBER(L"UploadAlpha", KeyKind::Alpha, uploadAlpha, 192),
    VANTREL_NUMBER(L"DownloadColor", KeyKind::Color, downloadColor, 0x00FF00),
    VANTREL_NUMBER(L"DownloadAlpha", KeyKind::Alpha, downloadAlpha, 193),
    VANTREL_NUMBER(L"BackgroundColor", KeyKind::Color, backgroundColor, 0),
    VANTREL_NUMBER(L"BackgroundAlpha", KeyKind::Alpha, backgroundAlpha, 91),
    VANTREL_NUMBER(L"FrameColor", KeyKind::Color, frameColor, 0xFFFFFF),
    VANTREL_NUMBER(L"FrameAlpha", KeyKind::Alpha, frameAlpha, 91),
    VANTREL_NUMBER(L"DockletData", KeyKind::Flags, dockletData, kDefaultDockletData),
    VANTREL_NUMBER(L"LabelData", KeyKind::Flags, labelData, kDefaultLabelData),
    VANTREL_TEXT(L"InterfaceDescription", interfaceDescription, 256, L""),
    VANTREL_TEXT(L"GUID", adapterGuid, 260, L""),
    VANTREL_TEXT(L"MACAddress", macAddress, 18, L""),
    VANTREL_TEXT(L"IpV4Address", ipV4Address, 16, L""),
    VANTREL_TEXT(L"IpV4Gateway", ipV4Gateway, 16, L""),
    VANTREL_TEXT(L"NetMask", netMask, 16, L""),
    VANTREL_TEXT(L"IPAddressUrl", ipAddressUrl, 2048, L""),
    VANTREL_CHOICE(L"RateUnit", rateUnit, 3),
    VANTREL_CHOICE(L"GraphScale", graphScale, 3),
    VANTREL_CHOICE(L"AdapterChoice", adapterChoice, 2),
    VANTREL_RANGED(L"UsageStartDay", usageStartDay, 1, 1, 31),
    VANTREL_RANGED(L"UsageAllowance", usageAllowance, 0, 0, 1000000000),
    VANTREL_CHOICE(L"UsageCount", usageCount, 3),
    VANTREL_TEXT(L"IPv6AddressUrl", ipV6AddressUrl, 2048, L""),
};

#undef VANTREL_TEXT
#undef VANTREL_NUMBER
#undef VANTREL_CHOICE
#undef VANTREL_RANGED

// Numbers are read as at most 19 characters and parsed like _wtoi.
constexpr DWORD kNumberReadLimit = 20;
constexpr size_t kIniNameCapacity = 260;

wchar_t* TextField(DockletInstance* instance, const SettingKey& key) noexcept {
    return reinterpret_cast<wchar_t*>(reinterpret_cast<unsigned char*>(instance) + key.offset);
}

const wchar_t* TextField(const DockletInstance* instance, const SettingKey& key) noexcept {
    return reinterpret_cast<const wchar_t*>(reinterpret_cast<const unsigned char*>(instance) + key.offset);
}

void StoreNumber(DockletInstance* instance, const SettingKey& key, int32_t value) noexcept {
    unsigned char* field = reinterpret_cast<unsigned char*>(instance) + key.offset;
    if (key.kind == KeyKind::Alpha) {
        *field = static_cast<uint8_t>(value);
    } else {
        const uint32_t bits = static_cast<uint32_t>(value);
        std::memcpy(field, &bits, sizeof bits);
    }
}

int32_t LoadNumber(const DockletInstance* instance, const SettingKey& key) noexcept {
    const unsigned char* field = reinterpret_cast<const unsigned char*>(instance) + key.offset;
    if (key.kind == KeyKind::Alpha) {
        return *field;
    }
    uint32_t bits = 0;
    std::memcpy(&bits, field, sizeof bits);
    return static_cast<int32_t>(bits);
}

void DeriveCounterInstanceName(DockletInstance* instance) noexcept {
    CopyText(instance->counterInstanceName, instance->interfaceDescription);
    ToCounterInstanceName(instance->counterInstanceName);
}

void LoadDefaults(DockletInstance* instance) noexcept {
    for (const SettingKey& key : kKeys) {
        if (key.kind == KeyKind::Text) {
            CopyText(TextField(instance, key), key.capacity, key.defaultText);
        } else {
            StoreNumber(instance, key, key.defaultNumber);
        }
    }
}

}  // namespace

void LoadSettings(DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept {
    if (!iniFile || !iniSection) {
        host::DockletSetLabel(instance->hwndDocklet, "Vantrel... configure docklet!");
        LoadDefaults(instance);
        return;
    }

    wchar_t file[kIniNameCapacity];
    wchar_t section[kIniNameCapacity];
    if (!AnsiToWide(iniFile, file, kIniNameCapacity) || !AnsiToWide(iniSection, section, kIniNameCapacity)) {
        // A name that does not convert would read another file: keep the defaults.
        LoadDefaults(instance);
        return;
    }

    struct Profile {
        const wchar_t* file;
        const wchar_t* section;
    } profile{file, section};
    ReadSettings(
        instance,
        [](void* context, const wchar_t* key, const wchar_t* fallback, wchar_t* buffer, DWORD capacity) noexcept {
            const auto* where = static_cast<const Profile*>(context);
            GetPrivateProfileStringW(where->section, key, fallback, buffer, capacity, where->file);
        },
        &profile);
}

void ReadSettings(DockletInstance* instance, SettingRead read, void* context) noexcept {
    for (const SettingKey& key : kKeys) {
        if (key.kind == KeyKind::Text) {
            wchar_t* field = TextField(instance, key);
            const DWORD limit = key.readLimit < key.capacity ? key.readLimit : static_cast<DWORD>(key.capacity);
            read(context, key.name, key.defaultText, field, limit);
            field[key.capacity - 1] = L'\0';
            if (field == instance->interfaceDescription) {
                DeriveCounterInstanceName(instance);
            }
        } else {
            wchar_t fallback[kNumberReadLimit + 1];
            swprintf(fallback, kNumberReadLimit + 1, L"%d", key.defaultNumber);
            wchar_t value[kNumberReadLimit];
            read(context, key.name, fallback, value, kNumberReadLimit);
            value[kNumberReadLimit - 1] = L'\0';
            int32_t number = _wtoi(value);
            if (key.kind == KeyKind::Ranged && (number < key.lowest || number > key.highest)) {
                number = key.defaultNumber;
            }
            StoreNumber(instance, key, number);
        }
    }
}

void SaveSettings(const DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept {
    wchar_t file[kIniNameCapacity];
    wchar_t section[kIniNameCapacity];
    // A name that does not convert would write another file: write nothing.
    if (!AnsiToWide(iniFile, file, kIniNameCapacity) || !AnsiToWide(iniSection, section, kIniNameCapacity)) {
        return;
    }
    for (const SettingKey& key : kKeys) {
        if (key.kind == KeyKind::Text) {
            WritePrivateProfileStringW(section, key.name, TextField(instance, key), file);
        } else {
            wchar_t value[kNumberReadLimit];
            _itow_s(LoadNumber(instance, key), value, kNumberReadLimit, 10);
            WritePrivateProfileStringW(section, key.name, value, file);
        }
    }
}

bool ExportFiles(const DockletInstance* instance, char* fileOut, int index) noexcept {
    if (index != 0 || !fileOut) {
        return false;
    }
    // The dock's buffer is left untouched unless the whole folder fits it.
    char path[kExportPathCapacity];
    if (!BuildImageSetPath(instance, ImagePathBase::Relative, nullptr, path, sizeof path)) {
        return false;
    }
    CopyText(fileOut, kExportPathCapacity, path);
    return true;
}
