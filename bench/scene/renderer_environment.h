// What both renderers read when they load: the worker thread count (MORA_THREADS and
// LP_NUM_THREADS, the same value for both) and a private MORA settings file (XDG_CONFIG_HOME
// pointed at a fresh folder) holding the variable-rate shading mode, so that a developer's own
// settings (colour pass, overlay, overrides) never change what is measured or compared.
#pragma once

#include <string>

namespace mora::scene {

struct RendererEnvironment {
    std::string configHome;  // the folder XDG_CONFIG_HOME points at; removed by the destructor
    RendererEnvironment() = default;
    RendererEnvironment(const RendererEnvironment&) = delete;
    RendererEnvironment& operator=(const RendererEnvironment&) = delete;
    ~RendererEnvironment();
};

// The settings file text for the given variable-rate shading mode (0 off, 1 adaptive, 2 forced)
// and worker limit (0: the setting is left out).
std::string SettingsFileText(int vrsRate, int workerLimit = 0);

// Must run before either library is loaded. threads < 1 leaves both thread variables as they
// are. False with a message when the folder or file cannot be made.
bool PrepareRendererEnvironment(RendererEnvironment& environment, int threads, int vrsRate, std::string* error,
                                int workerLimit = 0);

}  // namespace mora::scene
