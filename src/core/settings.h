// The instance's settings in its section of the dock's INI file.
#pragma once

#include "base/docklet_instance.h"

constexpr int kSettingsKeyCount = 32;

// Reads every key, or sets the defaults and the configure label when the icon
// has no stored settings (either name null).
void LoadSettings(DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept;

// One key's read, as GetPrivateProfileStringW makes it: at most `capacity`
// characters into buffer, terminator included; `fallback` when the key is absent.
using SettingRead = void (*)(void* context, const wchar_t* key, const wchar_t* fallback, wchar_t* buffer,
                             DWORD capacity) noexcept;

// The reads of LoadSettings from any source of texts: every key in file order,
// each stored into its field the way a loaded icon has it.
void ReadSettings(DockletInstance* instance, SettingRead read, void* context) noexcept;

// Writes all 32 keys; an export writes exactly the same.
void SaveSettings(const DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept;

// The one path of an export: relative folder + image-set folder. False for any
// index but 0, and when the path does not fit the dock's buffer.
bool ExportFiles(const DockletInstance* instance, char* fileOut, int index) noexcept;

// Capacity of the dock's export buffer, terminator included.
constexpr size_t kExportPathCapacity = 261;
