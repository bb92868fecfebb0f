// Diagnostics start-up, shutdown and the crash report.
#include "frame/diagnostics_startup.h"

#include <atomic>

#include "capture/capture_session.h"
#include "diag/trace.h"
#include "diag/trace_crash_mark.h"
#include "diag/trace_environment.h"
#include "frame/call_summary_writer.h"
#include "platform/crash_signals.h"

namespace mora {

namespace {

// Set by StartDiagnostics, cleared by StopDiagnostics: the switches are read once per attach,
// however often attach runs.
std::atomic<bool> gDiagnosticsStarted{false};

}  // namespace

void StartDiagnostics() {
    if (gDiagnosticsStarted.exchange(true, std::memory_order_acq_rel)) return;
    platform::InstallCrashHandler(&WriteCrashReport);
    ArmCaptureFromEnvironment();
    OpenTraceFromEnvironment();
    ReadCaptureReferencePixelsSwitch();
    StartCallSummaryWriter();
}

void StopDiagnostics() noexcept {
    StopCallSummaryWriter();
    WriteApiCallSummary();
    CloseTrace();
    ClearTraceRange();
    try {
        FinishCaptureAtDetach();
    } catch (...) {
    }
    platform::UninstallCrashHandler();
    gDiagnosticsStarted.store(false, std::memory_order_release);
}

void WriteCrashReport() noexcept {
    WriteApiCallSummary();
    MarkTraceCrashedWithoutWaiting();
}

}  // namespace mora
