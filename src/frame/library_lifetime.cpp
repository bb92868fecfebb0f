// The load and unload sequence of the driver.
#include "frame/library_lifetime.h"

#include "frame/call_summary_writer.h"
#include "frame/context_record.h"
#include "frame/debug_panel.h"
#include "frame/diagnostics_startup.h"
#include "geometry/frame_executor_thread.h"
#include "gl/gl_hooks.h"
#include "panel/driver_settings.h"
#include "raster/isa_dispatch.h"
#include "render/tile_grid.h"
#include "rjq/startup.h"

namespace mora {

void LibraryAttach() {
    InstallTileGridHooks();
    TheGlHooks().ensureSurfaceSize = &EnsureCurrentSurfaceSize;
    ApplyPipelineCutoffFromEnvironment();
    raster::SelectIsaFromEnvironment();
    StartDiagnostics();
    raster::SystemIsaLevel();
    rjq::StartRenderJobQueue();
    StartProcessFrameExecutor();
}

void LibraryDetach() {
    StopDebugPanel();  // first: its thread reads the frame loop's state
    StopProcessFrameExecutor();
    rjq::StopRenderJobQueue();
    StopDiagnostics();
}

void LibraryDetachAtProcessExit() {
    AbandonCallSummaryWriter();
    StopDiagnostics();
}

}  // namespace mora
