#include "renderer_environment.h"

#include "platform/environment.h"
#include "platform/file.h"

namespace mora::scene {

RendererEnvironment::~RendererEnvironment() {
    if (!configHome.empty()) platform::RemoveDirectoryTree(configHome.c_str());
}

std::string SettingsFileText(int vrsRate, int workerLimit) {
    std::string text = "ForceVrsRate=" + std::to_string(vrsRate) + "\n";
    if (workerLimit > 0) text += "WorkerLimit=" + std::to_string(workerLimit) + "\n";
    return text;
}

bool PrepareRendererEnvironment(RendererEnvironment& environment, int threads, int vrsRate, std::string* error,
                                int workerLimit) {
    const auto fail = [error](const std::string& message) {
        if (error != nullptr) *error = message;
        return false;
    };
    if (threads >= 1) {
        const std::string count = std::to_string(threads);
        if (!platform::SetEnvironment("MORA_THREADS", count.c_str()) ||
            !platform::SetEnvironment("LP_NUM_THREADS", count.c_str())) {
            return fail("cannot set the thread count variables");
        }
    }
    environment.configHome = platform::CreateTemporaryDirectory("mora-scene-");
    if (environment.configHome.empty()) return fail("cannot create a settings folder");
    const std::string folder = environment.configHome + "/mora";
    const std::string file = folder + "/driver.ini";
    const std::string text = SettingsFileText(vrsRate, workerLimit);
    if (!platform::CreateDirectory(folder.c_str()) ||
        !platform::ReplaceFileAtomically(file.c_str(), text.data(), text.size())) {
        return fail("cannot write " + file);
    }
    if (!platform::SetEnvironment("XDG_CONFIG_HOME", environment.configHome.c_str())) {
        return fail("cannot set XDG_CONFIG_HOME");
    }
    return true;
}

}  // namespace mora::scene
