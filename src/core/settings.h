// The instance's settings in its section of the dock's INI file.
#pragma once

#include "base/docklet_instance.h"

constexpr int kSettingsKeyCount = 25;

// Reads every key, or sets the defaults and the configure label when the icon
// has no stored settings (either name null).
void LoadSettings(DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept;

// Writes all 25 keys; an export writes exactly the same.
void SaveSettings(const DockletInstance* instance, const char* iniFile, const char* iniSection) noexcept;

// The one path of an export: relative folder + image-set folder. False for any
// index but 0, and when the path does not fit the dock's buffer.
bool ExportFiles(const DockletInstance* instance, char* fileOut, int index) noexcept;

// Capacity of the dock's export buffer, terminator included.
constexpr size_t kExportPathCapacity = 261;
