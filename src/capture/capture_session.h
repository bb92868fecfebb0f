// The process-wide capture: the armed frame range, the file being written and the panel's
// last-capture line. The diagnostics start-up arms it from MORA_CAPTURE_FRAMES, wglSwapBuffers
// opens and appends frames, the per-frame poll starts hotkey and panel captures and finishes
// them, library unload finishes an open one. Everything but the request flag and the last-capture
// information runs on the application thread.
#pragma once

#include <cstdint>
#include <span>

#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/keyframe_snapshot.h"
#include "gl/pending_keyframe.h"
#include "gl/texture_slot.h"

namespace mora {

// Frames first..last inclusive; -1 and -1 when no capture is armed.
struct CaptureRange {
    int32_t first = -1;
    int32_t last = -1;
};

inline constexpr uint32_t kCaptureNameBytes = 128;          // file name text buffer
inline constexpr uint32_t kCaptureMaxRequestFrames = 1000;  // hotkey and panel captures

// --- Arming ---

// Arms frames first..last and sets the file name ("MORA_capture_frame%d.mora-capture" when
// first == last, else "MORA_capture_frames%d-%d.mora-capture"); resets the written-frame count.
// Refused (false, nothing changes) when first < 0, last < first, or a range is already armed.
bool StartCaptureRange(int32_t first, int32_t last, bool quitAfter);

// Start-up switches, read once by the diagnostics initialisation. MORA_CAPTURE_FRAMES ("N" or
// "A-B") arms that range with quit-after on; true when it did.
bool ArmCaptureFromEnvironment();
// MORA_CAPTURE_REFERENCE_PIXELS: on when set, not empty and not starting with 0, n, N, f or F.
void ReadCaptureReferencePixelsSwitch();
bool CaptureReferencePixelsOn();
void SetCaptureReferencePixels(bool on);

// Folder the capture files are created in; null or "" (the default) is the current directory.
void SetCaptureDirectory(const char* directory);

// --- Frame loop (wglSwapBuffers, current frame number = the counter before its advance) ---

// True while a range is armed and holds `frame`.
bool CaptureCoversFrame(int32_t frame);
// True when `frame` is covered, no file is open yet and a name is set: the frame-start state is
// needed to open the file.
bool CaptureOpenDue(int32_t frame);

// Before the frame executes: when the open is due, opens the file with the frame-start snapshot
// and texture table and the surface size. A failed open is retried at the next frame of the
// range. True when a file is open afterwards.
bool OpenCaptureIfDue(int32_t frame, const KeyframeSnapshot& snapshot, std::span<const TextureSlot> table,
                      uint32_t width, uint32_t height);
// As above, building the frame-start state (BuildCaptureState) into a scratch record only when
// the open is due, so frames of a capture that is already writing copy no textures.
bool OpenCaptureIfDue(int32_t frame, const PendingKeyframe& pending, const GlContext& ctx, uint32_t width,
                      uint32_t height);

// After rendering, only while recording is on: appends the frame when `frame` is covered and a
// file is open; counts it on success. referencePixels may be null (size then ignored).
bool AppendCaptureFrame(int32_t frame, const CommandStream& stream, const CommandBlob& blob,
                        const uint8_t* referencePixels, uint64_t referencePixelBytes);

// --- Per-frame poll (frameCounter = the counter after its advance) ---
// The poll calls CloseFinishedCapture first and StartRequestedCapture later, so a capture that
// ends at this poll does not block a new request.

// The debug panel's "Trigger capture" button (any thread).
void RequestCapture();

// Closing: when a range is armed and frameCounter is past its last frame, finishes an open file,
// measures its size and remembers name, frame count and size for the panel; then disarms the
// range. Returns true when the range had quit-after on: the caller posts a quit message.
bool CloseFinishedCapture(int32_t frameCounter);

// Takes the panel request and, on a hotkey press (down now, up at the previous poll) or a
// request, arms frameCounter + 1 .. frameCounter + count with count = CaptureFrameCount (0 read
// as 1, above 1000 as 1000), unless a range is already armed. Remembers the hotkey state.
// True when a capture was armed.
bool StartRequestedCapture(int32_t frameCounter, bool hotkeyDown);

// Library unload: finishes an open capture (no size measurement) and clears name and quit-after.
void FinishCaptureAtDetach();

// --- State for the panel, the poll and tests ---

CaptureRange CurrentCaptureRange();
bool CaptureFileOpen();
uint32_t CaptureFramesWritten();
// The armed file name (without the directory), "" when none.
const char* CaptureFileName();

// The last finished capture as the panel shows it; `valid` false before the first one. Read
// without a lock from the panel thread: a torn value is possible and harmless.
struct LastCaptureInfo {
    bool valid = false;
    char name[kCaptureNameBytes] = {};
    uint32_t frameCount = 0;
    uint64_t fileBytes = 0;
};
LastCaptureInfo ReadLastCaptureInfo();

// Finishes an open file and returns every piece of capture state to its start-up value (tests).
void ResetCaptureSession();

}  // namespace mora
