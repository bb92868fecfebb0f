// Loading a renderer library privately: both MORA and OSMesa export the same gl* names, so each is
// opened with local symbol scope (and its own lookups bound inside itself where the runtime
// allows), and its entries are found by name. The one file of the scene tools that uses the
// dynamic loader.
#pragma once

#include <string>

namespace mora::scene {

struct SharedLibrary {
    void* handle = nullptr;
};

// False with the loader's message in *error when the library cannot be opened.
bool OpenSharedLibrary(SharedLibrary& library, const std::string& path, std::string* error);
// The address of `symbol` in the library, or null.
void* LibrarySymbol(const SharedLibrary& library, const char* symbol);
// Symbol lookup shaped for FillGlTable: `context` is the SharedLibrary.
void* ResolveLibrarySymbol(void* context, const char* symbol);
// Unloads the library (its unload hooks run when nothing else holds it); the handle becomes null.
void CloseSharedLibrary(SharedLibrary& library);

}  // namespace mora::scene
