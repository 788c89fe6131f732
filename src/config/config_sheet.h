// The four-page property sheet "Configure Vantrel Docklet".
#pragma once

#include "config/config_exchange.h"

#include <windows.h>

// Runs the sheet modally over `parent` until it has closed; the outcome is in exchange.result.
void ShowConfigSheet(HINSTANCE instance, HWND parent, ConfigExchange& exchange) noexcept;

// PSCB_PRECREATE takes the context-help button off the sheet's template;
// PSCB_INITIALIZED centres the sheet on the screen.
int CALLBACK ConfigSheetCallback(HWND sheet, UINT message, LPARAM lParam);

// Clears DS_CONTEXTHELP in a dialog template, standard or extended.
void RemoveContextHelpStyle(void* dialogTemplate) noexcept;
