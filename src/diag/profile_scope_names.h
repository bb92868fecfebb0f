// The profiler scope names, one constant each: the profiler matches scopes by
// the address of their name, so every caller must use these objects rather
// than its own literal of the same text.
#pragma once

namespace mora::diag {

inline constexpr char kScopeWorkerExecuteTiles[] = "RJQ::Worker::ExecuteTiles";
inline constexpr char kScopeEnqueue[] = "RJQ::RenderJobQueue::Enqueue";
inline constexpr char kScopeWaitIdle[] = "RJQ::RenderJobQueue::WaitIdle";
inline constexpr char kScopeBuildTextureCache[] = "mora::BuildTextureCache";
inline constexpr char kScopeRenderFrame[] = "mora::RenderFrame";
inline constexpr char kScopeRenderMacroTile[] = "mora::RenderMacroTile";
inline constexpr char kScopeRasterizeTile[] = "mora::RasterizeTile";
inline constexpr char kScopeWorkerLoopEntry[] = "mora::WorkerLoopEntry";
inline constexpr char kScopeRebuildWorkerTilePartition[] = "mora::RebuildWorkerTilePartition";
inline constexpr char kScopeResetFrame[] = "mora::ResetFrame";
inline constexpr char kScopeResizeTileGrid[] = "mora::ResizeTileGrid";

}  // namespace mora::diag
