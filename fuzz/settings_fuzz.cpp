// Hostile settings: ReadSettings fed texts as GetPrivateProfileStringW hands
// them out (overlong values cut at the read limit, numbers that overflow,
// broken surrogates, separators), and every 256th input a real INI file with
// hostile lines and section names read through LoadSettings. Every text field
// must end inside its bounds, and the export path built from the image-set
// folder must fit the dock's buffer or be refused.
#include "fuzz_driver.h"

#include "core/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t* const kPieces[] = {
    L"0", L"7", L"-", L"+", L" ", L"\t", L"2147483647", L"2147483648", L"-2147483649", L"99999999999999999999",
    L"0x1F", L"1e9", L"255", L"256", L"-1", L"\\", L"..", L"/", L"#", L"(", L")", L"%s%n%d", L"=", L";", L"[", L"]",
    L"\"", L"\xD800", L"\xDFFF", L"\xFFFF", L"\x00E9", L"\x4E2D", L"\xD83D\xDE00", L"icons", L"Tahoma", L"\r\n"};

std::wstring HostileText(FuzzRng& rng) {
    std::wstring text;
    const size_t pieces = rng.OneIn(8) ? 100 + rng.Below(1200) : rng.Below(6);
    for (size_t i = 0; i < pieces; ++i) {
        text += rng.Pick(kPieces);
    }
    return text;
}

// The texts of the 28 reads in key order, each ended by a 0 (the input's
// file); a key read as a lone 0x1 is absent and reads as its fallback.
struct ScriptedReads {
    std::wstring texts;
    size_t next = 0;
};

void ScriptedRead(void* context, const wchar_t*, const wchar_t* fallback, wchar_t* buffer, DWORD capacity) noexcept {
    auto* reads = static_cast<ScriptedReads*>(context);
    const wchar_t* text = reads->texts.c_str() + reads->next;
    const size_t length = std::wcslen(text);
    reads->next += length + 1;
    if (length == 1 && text[0] == 1) {
        text = fallback;
    }
    // As GetPrivateProfileStringW does: cut to capacity - 1 and terminated.
    const size_t count = std::min<size_t>(std::wcslen(text), capacity - 1);
    std::wmemcpy(buffer, text, count);
    buffer[count] = L'\0';
}

template <size_t N>
bool Terminated(const wchar_t (&field)[N]) {
    return std::wmemchr(field, L'\0', N) != nullptr;
}

void CheckInstance(const DockletInstance& instance) {
    const bool terminated = Terminated(instance.title) && Terminated(instance.command) &&
                            Terminated(instance.parameters) && Terminated(instance.imagesFolder) &&
                            Terminated(instance.fontName) && Terminated(instance.interfaceDescription) &&
                            Terminated(instance.counterInstanceName) && Terminated(instance.adapterGuid) &&
                            Terminated(instance.macAddress) && Terminated(instance.ipV4Address) &&
                            Terminated(instance.ipV4Gateway) && Terminated(instance.netMask) &&
                            Terminated(instance.ipAddressUrl) && Terminated(instance.ipV6AddressUrl);
    if (!terminated) {
        Finding("a text field has no terminator inside its bounds");
    }
    if (instance.rateUnit < 0 || instance.rateUnit > 2 || instance.graphScale < 0 || instance.graphScale > 2 ||
        instance.adapterChoice < 0 || instance.adapterChoice > 1) {
        Finding("a choice was stored outside its range");
    }
    char path[kExportPathCapacity + 16];
    std::memset(path, 'X', sizeof path);
    const bool exported = ExportFiles(&instance, path, 0);
    if (std::memchr(path + kExportPathCapacity, 'X', 16) != path + kExportPathCapacity ||
        (exported && !std::memchr(path, '\0', kExportPathCapacity))) {
        Finding("the export path overran the dock's buffer");
    }
}

std::string HostileAnsi(FuzzRng& rng, size_t longest) {
    static const char* const kAnsiPieces[] = {"a", "Vantrel", "[", "]", "=", ";", " ", "\t", "\r", "\n", "\xE9",
                                              "\xFF", "\xEF\xBB\xBF", "\\", "\"", "%s", "#", "1"};
    std::string text;
    const size_t pieces = rng.Below(longest);
    for (size_t i = 0; i < pieces; ++i) {
        text += rng.Pick(kAnsiPieces);
    }
    return text;
}

// An INI file of hostile lines around the section, named by hostile text too.
std::string HostileIni(FuzzRng& rng, const std::string& section) {
    static const char* const kKeys[] = {"Title", "Command", "ImagesFolder", "FontName", "FontSize", "FontAlpha",
                                        "DockletData", "LabelData", "InterfaceDescription", "GUID", "MACAddress",
                                        "IPAddressUrl", "FrameColor", "NetMask"};
    std::string text;
    if (rng.OneIn(6)) {
        text += rng.OneIn(2) ? "\xEF\xBB\xBF" : "\xFF\xFE";
    }
    const size_t lines = rng.Below(40);
    for (size_t i = 0; i < lines; ++i) {
        switch (rng.Below(6)) {
        case 0:
            text += "[" + (rng.OneIn(2) ? section : HostileAnsi(rng, 8)) + (rng.OneIn(6) ? "" : "]");
            break;
        case 1:
            text += HostileAnsi(rng, 20);
            break;
        default:
            text += std::string(rng.Pick(kKeys)) + (rng.OneIn(8) ? "" : "=") +
                    HostileAnsi(rng, rng.OneIn(10) ? 3000 : 12);
            break;
        }
        text += rng.OneIn(10) ? "\r" : "\r\n";
    }
    return text;
}

void Run(uint64_t seed, uint64_t first, uint64_t count) {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    char folder[MAX_PATH];
    const DWORD length = GetFullPathNameA(".", sizeof folder, folder, nullptr);
    if (!instance || length == 0 || length >= sizeof folder - 32) {
        std::fprintf(stderr, "fuzz: no room for the settings runs\n");
        std::exit(2);
    }
    for (uint64_t index = first; index < first + count; ++index) {
        FuzzRng rng = InputRng(seed, index);
        if (index % 256 == 255) {
            std::string section = rng.OneIn(8) ? std::string(rng.Below(400), 'S') : HostileAnsi(rng, 6);
            const std::string text = HostileIni(rng, section);
            // Files under a few names, so that none is read from a cache.
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s\\fuzz-settings-%u.ini", folder, static_cast<unsigned>(index % 13));
            FILE* file = std::fopen(path, "wb");
            if (!file) {
                continue;
            }
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            BeginInput(index, text.data(), text.size());
            LoadSettings(instance, path, section.c_str());
            CheckInstance(*instance);
            std::remove(path);
            continue;
        }
        ScriptedReads reads;
        for (int key = 0; key < kSettingsKeyCount; ++key) {
            reads.texts += rng.OneIn(4) ? std::wstring(1, 1) : HostileText(rng);
            reads.texts += L'\0';
        }
        BeginInput(index, reads.texts.data(), reads.texts.size() * sizeof(wchar_t));
        ReadSettings(instance, ScriptedRead, &reads);
        CheckInstance(*instance);
    }
    std::free(instance);
}

}  // namespace

const FuzzTarget kSettingsTarget{"settings", Run};
