// The panel thread, the view module and the host record's callbacks.
#include "frame/debug_panel.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "capture/capture_session.h"
#include "diag/frame_counter.h"
#include "diag/status_lines.h"
#include "panel/driver_settings.h"
#include "panel/panel_commands.h"
#include "platform/clock.h"
#include "platform/device_context.h"
#include "platform/environment.h"
#include "platform/shared_module.h"
#include "platform/thread.h"

namespace mora {
namespace {

constexpr char kDefaultModuleName[] = "libmora-panel.so";
// Another GTK in the process (the application's own) rules the panel out.
constexpr const char* kToolkitLibraries[] = {"libgtk-3.so.0", "libgtk-x11-2.0.so.0", "libgtk-4.so.1"};
// Gap between the application's window and the panel, in pixels.
constexpr int32_t kPanelGap = 8;

struct PanelRuntime {
    std::atomic<bool> started{false};  // set by the first start; cleared by stop or a failed start
    std::atomic<bool> running{false};  // the thread is inside the view
    std::atomic<bool> stopRequested{false};
    platform::Thread thread;
    PanelViewRun run = nullptr;
    PanelViewHost host;
    PanelToggleState toggle;  // panel thread only
};
PanelRuntime gPanel;
std::atomic<PanelViewRun> gTestView{nullptr};

uint64_t NowMilliseconds() {
    return platform::TicksToNanoseconds(platform::PerformanceCounter(), platform::PerformanceFrequency()) / 1000000u;
}

bool HostInput(int32_t id, int32_t value, const char* text) { return HandlePanelInput(id, PanelInput{value, text}); }

void HostTrackLabel(const PanelControl& trackBar, int32_t value, char* out, std::size_t size) {
    FormatTrackLabel(trackBar, value, std::span<char>(out, size));
}

bool HostTick(char* status, std::size_t size, int32_t* vrsRate) {
    const LastCaptureInfo last = ReadLastCaptureInfo();
    PanelCaptureSummary capture;
    capture.valid = last.valid;
    capture.name = last.name;
    capture.frameCount = last.frameCount;
    capture.fileBytes = last.fileBytes;
    FormatPanelStatus(CurrentFrame(), capture, std::span<char>(status, size));
    DriverSettings& settings = TheDriverSettings();
    const bool toggled = TickVrsAutoToggle(settings, gPanel.toggle, NowMilliseconds());
    if (vrsRate != nullptr) *vrsRate = SettingValue(settings.ForceVrsRate);
    return toggled;
}

void HostClosed() { SaveSettingsToRegistry(); }

void PanelThread(void*) {
    const int result = gPanel.run(&gPanel.host);
    if (gPanel.stopRequested.load(std::memory_order_acquire)) {
        SetStatusLine(StatusLine::Panel, "[MORA panel = stopped at unload]");
    } else if (result == 0) {
        SetStatusLine(StatusLine::Panel, "[MORA panel = closed]");
    } else {
        FormatStatusLine(StatusLine::Panel, "[MORA panel = off (the view could not open its window: %d)]", result);
    }
    gPanel.running.store(false, std::memory_order_release);
}

std::string ModulePath() {
    char buffer[1024];
    if (platform::ReadEnvironment("MORA_PANEL_MODULE", buffer) == platform::EnvironmentRead::Value) return buffer;
    return platform::ThisModuleFolder() + "/" + kDefaultModuleName;
}

bool PanelSwitchedOff() {
    char buffer[8];
    return platform::ReadEnvironment("MORA_PANEL", buffer) == platform::EnvironmentRead::Value &&
           std::string(buffer) == "0";
}

// Loads the view; null (with the status line written) when the panel has to stay off.
PanelViewRun LoadView() {
    if (PanelViewRun builtIn = BuiltInPanelView()) return builtIn;
    if (!platform::X11DisplayReachable()) {
        SetStatusLine(StatusLine::Panel, "[MORA panel = off (no X display)]");
        return nullptr;
    }
    const std::string path = ModulePath();
    // Our own view stays resident once loaded; then the GTK found is ours, not the application's.
    if (!platform::ModuleIsLoaded(path.c_str())) {
        for (const char* toolkit : kToolkitLibraries) {
            if (platform::ModuleIsLoaded(toolkit)) {
                FormatStatusLine(StatusLine::Panel, "[MORA panel = off (the application has %s loaded)]", toolkit);
                return nullptr;
            }
        }
    }
    std::string error;
    // Resident: GTK registers types and display state that cannot be unloaded and loaded again.
    platform::SharedModule* module = platform::LoadModule(path.c_str(), /*resident=*/true, &error);
    if (module == nullptr) {
        FormatStatusLine(StatusLine::Panel, "[MORA panel = off (cannot load the view: %s)]", error.c_str());
        return nullptr;
    }
    auto run = reinterpret_cast<PanelViewRun>(platform::ModuleSymbol(module, kPanelViewRunSymbol));
    platform::UnloadModule(module);  // resident: the code stays
    if (run == nullptr) FormatStatusLine(StatusLine::Panel, "[MORA panel = off (%s has no view entry)]", path.c_str());
    return run;
}

// Right of the application's window, at the top of it.
void PlaceBeside(HDC hdc, PanelViewHost& host) {
    const platform::Window* window = platform::WindowFromDC(hdc);
    if (window != nullptr && window->kind == platform::WindowKind::Win32) {
        host.applicationWindow = window->hwnd;  // the Win32 view reads the window's rectangle itself
        return;
    }
    platform::ClientRect rect;
    if (window == nullptr || window->kind != platform::WindowKind::X11 ||
        !platform::X11WindowScreenRect(window->display, window->x11Window, &rect)) {
        return;
    }
    host.placed = true;
    host.x = rect.right + kPanelGap;
    host.y = rect.top;
}

}  // namespace

void StartDebugPanel(HDC hdc) {
    if (gPanel.started.exchange(true, std::memory_order_acq_rel)) return;
    if (PanelSwitchedOff()) {
        SetStatusLine(StatusLine::Panel, "[MORA panel = off (MORA_PANEL=0)]");
        return;
    }
    PanelViewRun run = gTestView.load(std::memory_order_acquire);
    if (run == nullptr) run = LoadView();
    if (run == nullptr) return;  // stays started: one attempt per process

    const std::span<const PanelControl> controls = PanelControls();
    gPanel.run = run;
    gPanel.toggle = PanelToggleState{};
    gPanel.stopRequested.store(false, std::memory_order_relaxed);
    gPanel.host = PanelViewHost{};
    gPanel.host.controls = controls.data();
    gPanel.host.controlCount = controls.size();
    gPanel.host.stopRequested = &gPanel.stopRequested;
    gPanel.host.controlValue = &PanelControlValue;
    gPanel.host.input = &HostInput;
    gPanel.host.trackLabel = &HostTrackLabel;
    gPanel.host.tick = &HostTick;
    gPanel.host.closed = &HostClosed;
    PlaceBeside(hdc, gPanel.host);

    SetStatusLine(StatusLine::Panel, "[MORA panel = open]");
    gPanel.running.store(true, std::memory_order_release);
    if (!platform::StartThread(gPanel.thread, "mora-panel", &PanelThread, nullptr)) {
        gPanel.running.store(false, std::memory_order_release);
        SetStatusLine(StatusLine::Panel, "[MORA panel = off (no thread)]");
        gPanel.started.store(false, std::memory_order_release);
    }
}

void StopDebugPanel() {
    if (!gPanel.started.load(std::memory_order_acquire)) return;
    gPanel.stopRequested.store(true, std::memory_order_release);
    if (gPanel.thread.joinable && !platform::JoinThreadTimeout(gPanel.thread, kPanelStopWaitMs)) {
        // The view did not return: leave the thread (its module stays resident) rather than hang the
        // unload; the host callbacks it may still call are gone with the driver.
        SetStatusLine(StatusLine::Panel, "[MORA panel = did not stop within the wait]");
        gPanel.thread = platform::Thread{};
    }
    gPanel.started.store(false, std::memory_order_release);
}

bool DebugPanelRunning() { return gPanel.running.load(std::memory_order_acquire); }

void SetDebugPanelViewForTests(PanelViewRun run) { gTestView.store(run, std::memory_order_release); }

}  // namespace mora
