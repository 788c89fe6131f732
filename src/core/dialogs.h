// The modal dialogs of the dock's calls and of the menu, each owned by the docklet
// window and created from this module's templates with the instance as its
// initialisation value.
#pragma once

#include "base/docklet_instance.h"

constexpr int IDD_ABOUT = 102;
constexpr int IDD_NETWORK_INFO = 105;
constexpr int IDD_PLACEHOLDER = 109;
constexpr int IDD_USAGE = 111;

// Each returns what DialogBoxParamW returns once the dialog has closed.
INT_PTR OpenConfigureDialog(DockletInstance* instance) noexcept;
INT_PTR OpenInfoDialog(DockletInstance* instance) noexcept;
INT_PTR OpenAboutDialog(DockletInstance* instance) noexcept;
INT_PTR OpenUsageWindow(DockletInstance* instance) noexcept;
