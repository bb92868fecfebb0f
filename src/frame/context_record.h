// Rendering contexts: the record behind an HGLRC (its device context and its Surface), the
// registry of live contexts, the calling thread's current context, and Ensure size, which keeps
// the current Surface as large as every viewport. The WGL entries create, delete and select
// contexts; glViewport reaches Ensure size through the GL layer's surface hook; wglSwapBuffers
// and glReadPixels render into the current context's Surface.
#pragma once

#include <cstdint>

#include "frame/surface.h"
#include "mora/wgl.h"

namespace mora {

struct ContextRecord {
    HDC deviceContext = nullptr;  // the one given to wglCreateContext; null after deletion
    uint32_t reserved = 0;
    Surface surface;
    uint64_t presentSerial = 0;  // process-wide order of this context's last present (NoteFramePresented)
    uint32_t currentThread = 0;  // serial of the thread it is current on (ThreadRecord::serial); 0: none
    uintptr_t handle = 0;        // the HGLRC the application holds (ContextHandle); 0 when unregistered
};

// Client size used when the device context's window has none.
inline constexpr int32_t kDefaultSurfaceWidth = 640;
inline constexpr int32_t kDefaultSurfaceHeight = 480;

// wglCreateContext's work after its entry frame: a record for hdc with a Surface of the window's
// client size (640x480 when the client area is empty or cannot be read), registered as live.
// Null, with nothing left behind, when hdc names no window or the Surface cannot be created.
ContextRecord* CreateContextRecord(HDC hdc);

// Handles: what the application holds is not the record's address but its registry slot with a
// generation, so a handle kept after its context was deleted stays refused even when a new
// context takes the slot or the memory. ContextHandle gives the handle of a registered record
// (null for null or an unregistered one); ContextFromHandle the live record of a handle, or null.
// A record from ContextFromHandle may be deleted by another thread once it is returned unless it
// is current on the calling thread; MakeContextCurrent and DeleteContextRecord look up and act
// in one step.
void* ContextHandle(const ContextRecord* context);
ContextRecord* ContextFromHandle(const void* handle);

// wglDeleteContext's work: when `handle` is a live context that is current on no other thread,
// the calling thread stops using it if it is current, and the record is unregistered, its Surface
// released and the record freed. False for null, for anything that is not a live context and for
// a context current on another thread (WGL forbids deleting it; it stays as it was).
bool DeleteContextRecord(const void* handle);
// The same for a record this process made (CreateContextRecord), by address.
bool DeleteContextRecord(ContextRecord* context);

// True while `handle` is a context made by CreateContextRecord and not yet deleted.
bool IsLiveContext(const void* handle);

// The calling thread's current context (a context current on a thread cannot be deleted by
// another one, so it stays valid while it is current).
ContextRecord* CurrentContextRecord();

// A thread that ends gives up its context, so that neither the context nor the GL state stays
// held by a thread that no longer exists. On Windows the DLL's thread-detach notification calls
// it (a thread-exit destructor there would pin the DLL); elsewhere a thread-exit destructor does.
void ReleaseEndingThreadContext() noexcept;

// Makes `context` (null allowed) the calling thread's current context, releasing the one it had.
// A context is current on at most one thread: false, with nothing changed, when `context` is
// current on another thread. The first thread with a context current draws with the GL state
// until it releases its context (ThreadRecord::drawsGlState); a thread that ends releases its own.
bool SetCurrentContextRecord(ContextRecord* context);

// wglMakeCurrent's work: null releases the calling thread's context (true); a handle that is not a
// live context or a context current on another thread fails, and the calling thread is then left
// without a context, as WGL does after a failed wglMakeCurrent.
bool MakeContextCurrent(const void* handle);

// Ensure size: keeps the context's Surface at least width x height. A size below 1 only reports
// whether the Surface has its buffers; a Surface already large enough is kept; otherwise the
// Surface is re-created at the larger of its size and the request on the device context's window
// (its contents are lost). False when the device context has no window or re-creation fails
// (the Surface is then released and frames skip drawing until a later viewport re-creates it).
bool EnsureSurfaceSize(ContextRecord& context, int32_t width, int32_t height);

// The GL layer's surface hook: Ensure size on the calling thread's current context; nothing
// without one (the frame executor thread never has one).
void EnsureCurrentSurfaceSize(int32_t width, int32_t height);

// Records that the context's Surface has just presented a frame (wglSwapBuffers).
void NoteFramePresented(ContextRecord& context);

// Copies of the last presented frame on a device context, for moraGetPresentedFrameSize and
// moraReadPresentedFrame: among the live contexts on hdc whose Surface has presented, the most
// recently presented one is used. The size query gives 0 x 0 and false when there is none.
bool PresentedFrameSize(HDC hdc, int32_t* width, int32_t* height);
// Copies that frame top row first into `bgra`, rows `rowPitch` bytes apart; false (nothing
// written) when there is none, bgra is null or rowPitch is below width x 4.
bool ReadPresentedFrame(HDC hdc, void* bgra, int64_t rowPitch);

}  // namespace mora
