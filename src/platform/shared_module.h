// Shared modules loaded at run time: optional parts of the driver (the debug panel's toolkit view)
// that the driver must not link, so that a machine without the toolkit still runs the driver.
#pragma once

#include <string>

namespace mora::platform {

struct SharedModule;  // opaque handle

// Loads the module at `path`. A resident module stays loaded after UnloadModule and after the
// driver itself is unloaded: a toolkit cannot be unloaded and loaded again in one process. Null on
// failure, with the loader's reason in *error (when given).
SharedModule* LoadModule(const char* path, bool resident, std::string* error);

// The address of an exported symbol, or null.
void* ModuleSymbol(SharedModule* module, const char* name);

// Drops this load's reference; null is allowed.
void UnloadModule(SharedModule* module);

// True when a module of that path or file name is already loaded in the process (nothing is
// loaded by asking).
bool ModuleIsLoaded(const char* pathOrName);

// The folder of the shared object (or program) that holds this function, without a trailing
// separator; "" when unknown.
std::string ThisModuleFolder();

}  // namespace mora::platform
