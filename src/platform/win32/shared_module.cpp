// Shared modules on Windows: LoadLibraryW and GetProcAddress, paths in UTF-8.
#include "platform/shared_module.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace mora::platform {

SharedModule* LoadModule(const char* path, bool resident, std::string* error) {
    if (path == nullptr) return nullptr;
    HMODULE module = LoadLibraryW(Wide(path).c_str());
    if (module == nullptr) {
        if (error != nullptr) *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    if (resident) {  // one more reference that nothing drops: the module outlives every unload
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, Wide(path).c_str(), &pinned);
    }
    return reinterpret_cast<SharedModule*>(module);
}

void* ModuleSymbol(SharedModule* module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void UnloadModule(SharedModule* module) {
    if (module != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

bool ModuleIsLoaded(const char* pathOrName) {
    return pathOrName != nullptr && GetModuleHandleW(Wide(pathOrName).c_str()) != nullptr;
}

std::string ThisModuleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ThisModuleFolder), &self)) {
        return {};
    }
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string folder = Narrow(path);
    const std::size_t separator = folder.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : folder.substr(0, separator);
}

}  // namespace mora::platform
