// What a click on the icon does.
#pragma once

#include "base/docklet_instance.h"

// Left click: runs the configured command through the shell, after the dock's
// attention animation. Nothing happens when no command is set.
void RunConfiguredCommand(DockletInstance* instance) noexcept;
