#include "core/mouse_actions.h"

#include "base/host_api.h"

#include <shellapi.h>

void RunConfiguredCommand(DockletInstance* instance) noexcept {
    if (instance->command[0] == L'\0') {
        return;
    }
    host::DockletDoAttentionAnimation(instance->hwndDocklet);
    // The shell's answer is not examined: a command that cannot run gives no message.
    ShellExecuteW(nullptr, nullptr, instance->command, instance->parameters, nullptr, SW_SHOWDEFAULT);
}
