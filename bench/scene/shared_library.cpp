#include "shared_library.h"

#include <dlfcn.h>

namespace mora::scene {

namespace {

// RTLD_DEEPBIND makes the library resolve its own gl* calls inside itself before looking at
// anything loaded earlier. The sanitizer runtimes refuse it (they must intercept every library's
// calls), so sanitized builds rely on RTLD_LOCAL alone, which suffices while the program itself
// exports no gl* names.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;
#else
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
#endif
#else
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
#endif

}  // namespace

bool OpenSharedLibrary(SharedLibrary& library, const std::string& path, std::string* error) {
    library.handle = dlopen(path.c_str(), kOpenFlags);
    if (library.handle != nullptr) return true;
    if (error != nullptr) {
        const char* message = dlerror();
        *error = message != nullptr ? message : ("cannot open " + path);
    }
    return false;
}

void* LibrarySymbol(const SharedLibrary& library, const char* symbol) {
    if (library.handle == nullptr) return nullptr;
    return dlsym(library.handle, symbol);
}

void* ResolveLibrarySymbol(void* context, const char* symbol) {
    return LibrarySymbol(*static_cast<const SharedLibrary*>(context), symbol);
}

void CloseSharedLibrary(SharedLibrary& library) {
    if (library.handle != nullptr) dlclose(library.handle);
    library.handle = nullptr;
}

}  // namespace mora::scene
