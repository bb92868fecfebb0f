// The load and unload sequence of the driver.
#include "wgl/library_lifetime.h"

#include "api/gl_subset.h"
#include "geometry/frame_executor_thread.h"
#include "gl/gl_hooks.h"
#include "panel/driver_settings.h"
#include "raster/isa_dispatch.h"
#include "render/tile_grid.h"
#include "rjq/startup.h"
#include "wgl/call_summary_writer.h"
#include "wgl/context_record.h"
#include "wgl/debug_panel.h"
#include "wgl/diagnostics_startup.h"

namespace mora {

void LibraryAttach() {
    InstallTileGridHooks();
    TheGlHooks().ensureSurfaceSize = &EnsureCurrentSurfaceSize;
    TheGlHooks().seedSubset = [] { return !api::LoweringOn(); };
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
