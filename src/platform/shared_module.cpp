// Shared modules through the dynamic loader.
#include "platform/shared_module.h"

#include <dlfcn.h>

namespace mora::platform {

SharedModule* LoadModule(const char* path, bool resident, std::string* error) {
    if (path == nullptr || path[0] == '\0') {
        if (error != nullptr) *error = "no module path";
        return nullptr;
    }
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL | (resident ? RTLD_NODELETE : 0));
    if (handle == nullptr && error != nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "unknown loader error";
    }
    return static_cast<SharedModule*>(handle);
}

void* ModuleSymbol(SharedModule* module, const char* name) { return module != nullptr ? dlsym(module, name) : nullptr; }

void UnloadModule(SharedModule* module) {
    if (module != nullptr) dlclose(module);
}

bool ModuleIsLoaded(const char* pathOrName) {
    void* handle = dlopen(pathOrName, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

std::string ThisModuleFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisModuleFolder), &info) == 0 || info.dli_fname == nullptr) return {};
    const std::string file(info.dli_fname);
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

}  // namespace mora::platform
