#include "import_patch.h"

#include <cstring>
#include <utility>

namespace {

void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        return nullptr;
    }
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), dll) != 0) {
            continue;
        }
        DWORD namesRva = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesRva);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void* WriteSlot(void** slot, void* value) {
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &oldProtection)) {
        return nullptr;
    }
    void* previous = *slot;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), oldProtection, &oldProtection);
    return previous;
}

}  // namespace

void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    if (!module) {
        return nullptr;
    }
    void** slot = FindImportSlot(module, dll, function);
    return slot ? WriteSlot(slot, replacement) : nullptr;
}

ImportPatch::ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement)
    : module_(module), dll_(dll), function_(function),
      original_(ReplaceImport(module, dll, function, replacement)) {}

ImportPatch::~ImportPatch() { Undo(); }

ImportPatch::ImportPatch(ImportPatch&& other) noexcept
    : module_(other.module_), dll_(other.dll_), function_(other.function_),
      original_(std::exchange(other.original_, nullptr)) {}

ImportPatch& ImportPatch::operator=(ImportPatch&& other) noexcept {
    if (this != &other) {
        Undo();
        module_ = other.module_;
        dll_ = other.dll_;
        function_ = other.function_;
        original_ = std::exchange(other.original_, nullptr);
    }
    return *this;
}

void ImportPatch::Undo() {
    // A module a dock unloaded has no import table left to put back.
    HMODULE mapped = nullptr;
    if (original_ &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(module_), &mapped) &&
        mapped == module_) {
        ReplaceImport(module_, dll_, function_, original_);
    }
    original_ = nullptr;
}
