#include "info/usage_export_command.h"

#include "cycle/usage_counting.h"
#include "usage/usage_export.h"

#include <commdlg.h>

#include <cwchar>

namespace {

constexpr wchar_t kFailureCaption[] = L"Vantrel Docklet - Export";

void ShowFailure(HWND owner, DWORD error) noexcept {
    wchar_t reason[512] = {};
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason, 512,
                        nullptr)) {
        std::swprintf(reason, 512, L"Error %lu.", error);
    }
    wchar_t text[640];
    std::swprintf(text, 640, L"The usage could not be exported.\n\n%ls", reason);
    MessageBoxW(owner, text, kFailureCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

void ExportUsage(HWND owner, DockletInstance& instance) {
    wchar_t path[MAX_PATH * 2];
    DefaultExportName(instance.interfaceDescription, path, MAX_PATH * 2);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH * 2;
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    // The dock may have destroyed the icon while the dialog was up.
    if (!GetSaveFileNameW(&dialog) || instance.destroyed) {
        return;
    }
    // What was counted and not yet written belongs in the file too.
    WriteUsage(&instance);
    const std::string csv = UsageCsv(ReadUsageDays(instance.usage.guid), instance.interfaceDescription);
    if (const DWORD error = WriteFileReplacing(path, csv)) {
        ShowFailure(owner, error);
    }
}
