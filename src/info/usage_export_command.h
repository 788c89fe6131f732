// The usage window's "Export...": the Save As dialog, then the CSV of the
// icon's adapter, or one message box with the system's reason.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

// May throw (the rows are gathered in memory); the window's procedure guards it.
void ExportUsage(HWND owner, DockletInstance& instance);
