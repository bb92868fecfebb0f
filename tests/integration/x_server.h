// An X server for a test: the one in $DISPLAY, or an Xvfb the test starts (a free display number
// of its own, screen of the given size) and ends. Shared by the X11 integration tests.
#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/x11_output.h"

namespace mora_it {

// An X server for the test: the one in $DISPLAY, or an Xvfb this test starts and ends.
class XServer {
public:
    explicit XServer(const char* screen = "320x240x24") {
        if (const char* display = std::getenv("DISPLAY"); display != nullptr && display[0] != '\0') {
            usable_ = true;
            return;
        }
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return;
        folder_ = mora::platform::CreateTemporaryDirectory("mora_xvfb");
        if (folder_.empty()) return;
        // -displayfd makes Xvfb pick a free display number and write it once it takes
        // connections, so parallel runs and other servers on the machine do not collide;
        // -noreset keeps it from restarting (and refusing connections) when a client leaves.
        const std::string pidFile = folder_ + "/xvfb.pid";
        const std::string displayFile = folder_ + "/display";
        const std::string start = "Xvfb -displayfd 3 -noreset -screen 0 " + std::string(screen) + " -nolisten tcp 3>" +
                                  displayFile + " >" + folder_ + "/xvfb.log 2>&1 & echo $! >" + pidFile;
        if (std::system(start.c_str()) != 0) return;
        std::ifstream(pidFile) >> pid_;
        std::string display;
        for (int attempt = 0; attempt < 100 && display.empty(); ++attempt) {  // up to ten seconds
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::ifstream(displayFile) >> display;
        }
        if (display.empty()) return;
        mora::platform::SetEnvironment("DISPLAY", (":" + display).c_str());
        setDisplay_ = true;
        mora::platform::X11Window* probe = mora::platform::CreateX11Window(4, 4, "probe");
        if (probe != nullptr) {
            mora::platform::DestroyX11Window(probe);
            usable_ = true;
        }
    }
    ~XServer() {
        if (pid_ > 0) {
            // End the server this test started, and wait (up to two seconds) until it is gone.
            const std::string pid = std::to_string(pid_);
            std::system(("kill " + pid + " 2>/dev/null").c_str());
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (std::system(("kill -0 " + pid + " 2>/dev/null").c_str()) != 0) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (setDisplay_) mora::platform::UnsetEnvironment("DISPLAY");
        if (!folder_.empty()) mora::platform::RemoveDirectoryTree(folder_.c_str());
    }
    bool usable() const { return usable_; }

private:
    bool usable_ = false;
    bool setDisplay_ = false;
    long pid_ = 0;
    std::string folder_;
};

}  // namespace mora_it
