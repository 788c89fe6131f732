#include "base/activation_context.h"

namespace {

// The module this code is linked into: the docklet, whatever handle the dock
// passed around.
HMODULE ThisModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

ModuleControlsScope::ModuleControlsScope() noexcept {
    const HMODULE module = ThisModule();
    wchar_t path[MAX_PATH];
    const DWORD length = module ? GetModuleFileNameW(module, path, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEW(2);  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID
    request.hModule = module;
    context_.reset(CreateActCtxW(&request));
    active_ = context_ && ActivateActCtx(context_.get(), &cookie_);
}

ModuleControlsScope::~ModuleControlsScope() {
    if (active_) {
        DeactivateActCtx(0, cookie_);
    }
}
