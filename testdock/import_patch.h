// Replacing a loaded module's imports, as a test harness needs to see and
// script the system calls a docklet makes. Only the module's own import
// address table is touched; the rest of the process keeps the real functions.
#pragma once

#include <windows.h>

// Replaces `function` imported from `dll` (matched without regard to case) in
// module's import table. Returns the previous target, or null when the module
// does not import it.
void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement);

// A replacement that is undone when it goes out of scope.
class ImportPatch {
public:
    ImportPatch() = default;
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(ImportPatch&& other) noexcept;
    ImportPatch& operator=(ImportPatch&& other) noexcept;
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Active() const { return original_ != nullptr; }
    void* Original() const { return original_; }

private:
    void Undo();
    HMODULE module_ = nullptr;
    const char* dll_ = nullptr;
    const char* function_ = nullptr;
    void* original_ = nullptr;
};
