// The process-wide capture: range, file name, open file, written-frame count, requests and the
// last finished capture.
#include "capture/capture_session.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "capture/capture_writer.h"
#include "diag/trace_environment.h"
#include "gl/keyframe.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "platform/file.h"

namespace mora {
namespace {

constexpr std::size_t kRangeTextBytes = 32;      // MORA_CAPTURE_FRAMES buffer: 32+ characters are ignored
constexpr std::size_t kSwitchTextBytes = 256;    // MORA_CAPTURE_REFERENCE_PIXELS buffer
constexpr std::size_t kCapturePathBytes = 4096;  // directory + "/" + name

struct CaptureSession {
    capture::CaptureFile file;
    uint32_t framesWritten = 0;
    CaptureRange range;
    bool quitAfter = false;
    bool referencePixels = false;
    bool hotkeyWasDown = false;
    char name[kCaptureNameBytes] = {};  // empty when none
    char path[kCapturePathBytes] = {};  // the name inside the capture directory
    std::string directory;              // "" is the current directory
    // Frame-start state of the frame that opens the file; kept so that its storage is reused.
    std::vector<TextureSlot> scratchTable;
    KeyframeSnapshot scratchSnapshot{};
};

// Never destroyed: library unload finishes the capture after static destructors may have run.
CaptureSession& TheCaptureSession() {
    static CaptureSession* const session = new CaptureSession;
    return *session;
}

std::atomic<bool> gCaptureRequested{false};

// The panel reads these from its own thread while a capture finishes on the application thread.
struct SharedLastCapture {
    std::atomic<bool> valid{false};
    std::array<std::atomic<char>, kCaptureNameBytes> name{};
    std::atomic<uint32_t> frameCount{0};
    std::atomic<uint64_t> fileBytes{0};
};
SharedLastCapture gLastCapture;

void RememberLastCapture(const char* name, uint32_t frameCount, uint64_t fileBytes) {
    bool ended = false;
    for (std::size_t i = 0; i < kCaptureNameBytes; ++i) {
        const char c = (ended || i + 1 == kCaptureNameBytes) ? '\0' : name[i];
        ended = ended || c == '\0';
        gLastCapture.name[i].store(c, std::memory_order_relaxed);
    }
    gLastCapture.frameCount.store(frameCount, std::memory_order_relaxed);
    gLastCapture.fileBytes.store(fileBytes, std::memory_order_relaxed);
    gLastCapture.valid.store(true, std::memory_order_release);
}

bool RangeArmed(const CaptureRange& range) { return range.first >= 0; }

void ClearName(CaptureSession& session) {
    session.name[0] = '\0';
    session.path[0] = '\0';
}

}  // namespace

bool StartCaptureRange(int32_t first, int32_t last, bool quitAfter) {
    CaptureSession& session = TheCaptureSession();
    if (first < 0 || last < first || RangeArmed(session.range)) return false;
    char name[kCaptureNameBytes];
    if (first == last) {
        std::snprintf(name, sizeof(name), "MORA_capture_frame%d.mora-capture", first);
    } else {
        std::snprintf(name, sizeof(name), "MORA_capture_frames%d-%d.mora-capture", first, last);
    }
    char path[kCapturePathBytes];
    const int length = session.directory.empty()
                           ? std::snprintf(path, sizeof(path), "%s", name)
                           : std::snprintf(path, sizeof(path), "%s/%s", session.directory.c_str(), name);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof(path)) return false;
    std::snprintf(session.name, sizeof(session.name), "%s", name);
    std::snprintf(session.path, sizeof(session.path), "%s", path);
    session.range = CaptureRange{first, last};
    session.quitAfter = quitAfter;
    session.framesWritten = 0;
    return true;
}

bool ArmCaptureFromEnvironment() {
    char text[kRangeTextBytes];
    if (platform::ReadEnvironment("MORA_CAPTURE_FRAMES", text) != platform::EnvironmentRead::Value) return false;
    const std::optional<TraceRange> range = ParseFrameRange(text);
    if (!range) return false;
    return StartCaptureRange(range->first, range->last, /*quitAfter=*/true);
}

void ReadCaptureReferencePixelsSwitch() {
    char text[kSwitchTextBytes];
    bool on = false;
    if (platform::ReadEnvironment("MORA_CAPTURE_REFERENCE_PIXELS", text) == platform::EnvironmentRead::Value) {
        const char c = text[0];
        on = c != '\0' && c != '0' && c != 'n' && c != 'N' && c != 'f' && c != 'F';
    }
    TheCaptureSession().referencePixels = on;
}

bool CaptureReferencePixelsOn() { return TheCaptureSession().referencePixels; }
void SetCaptureReferencePixels(bool on) { TheCaptureSession().referencePixels = on; }

void SetCaptureDirectory(const char* directory) {
    TheCaptureSession().directory = directory == nullptr ? "" : directory;
}

bool CaptureCoversFrame(int32_t frame) {
    const CaptureRange& range = TheCaptureSession().range;
    return RangeArmed(range) && frame >= range.first && frame <= range.last;
}

bool CaptureOpenDue(int32_t frame) {
    const CaptureSession& session = TheCaptureSession();
    return CaptureCoversFrame(frame) && !capture::IsOpen(session.file) && session.name[0] != '\0';
}

bool OpenCaptureIfDue(int32_t frame, const KeyframeSnapshot& snapshot, std::span<const TextureSlot> table,
                      uint32_t width, uint32_t height) {
    CaptureSession& session = TheCaptureSession();
    if (!CaptureOpenDue(frame)) return capture::IsOpen(session.file);
    return capture::Open(session.file, session.path, snapshot, table, width, height);
}

bool OpenCaptureIfDue(int32_t frame, const PendingKeyframe& pending, const GlContext& ctx, uint32_t width,
                      uint32_t height) {
    CaptureSession& session = TheCaptureSession();
    if (!CaptureOpenDue(frame)) return capture::IsOpen(session.file);
    bool opened = false;
    try {
        BuildCaptureState(pending, ctx, session.scratchTable, session.scratchSnapshot);
        opened =
            capture::Open(session.file, session.path, session.scratchSnapshot, session.scratchTable, width, height);
    } catch (const std::bad_alloc&) {
        opened = false;  // runs inside wglSwapBuffers: retried at the next frame of the range
    }
    // The copy can hold every texture of the application: give it back now.
    std::vector<TextureSlot>().swap(session.scratchTable);
    return opened;
}

bool AppendCaptureFrame(int32_t frame, const CommandStream& stream, const CommandBlob& blob,
                        const uint8_t* referencePixels, uint64_t referencePixelBytes) {
    CaptureSession& session = TheCaptureSession();
    if (!CaptureCoversFrame(frame) || !capture::IsOpen(session.file)) return false;
    if (!capture::AppendFrame(session.file, stream, blob, referencePixels, referencePixelBytes)) return false;
    ++session.framesWritten;
    return true;
}

void RequestCapture() { gCaptureRequested.store(true, std::memory_order_release); }

bool CloseFinishedCapture(int32_t frameCounter) {
    CaptureSession& session = TheCaptureSession();
    if (!RangeArmed(session.range) || frameCounter <= session.range.last) return false;
    if (capture::IsOpen(session.file)) {
        capture::Finish(session.file, session.framesWritten);
        const int64_t size = platform::FileSize(session.path);
        RememberLastCapture(session.name, session.framesWritten, size < 0 ? 0 : static_cast<uint64_t>(size));
    }
    ClearName(session);
    session.range = CaptureRange{};
    const bool quit = session.quitAfter;
    session.quitAfter = false;
    return quit;
}

bool StartRequestedCapture(int32_t frameCounter, bool hotkeyDown) {
    CaptureSession& session = TheCaptureSession();
    const bool requested = gCaptureRequested.exchange(false, std::memory_order_acq_rel);
    const bool pressed = hotkeyDown && !session.hotkeyWasDown;
    session.hotkeyWasDown = hotkeyDown;
    if (!(pressed || requested) || RangeArmed(session.range)) return false;

    // The field is a registry DWORD: read it unsigned, so only 0 means "one frame".
    uint32_t count = static_cast<uint32_t>(SettingValue(TheDriverSettings().CaptureFrameCount));
    if (count == 0) count = 1;
    if (count > kCaptureMaxRequestFrames) count = kCaptureMaxRequestFrames;
    const int64_t first = static_cast<int64_t>(frameCounter) + 1;
    int64_t last = static_cast<int64_t>(frameCounter) + count;
    if (first > INT32_MAX) return false;
    if (last > INT32_MAX) last = INT32_MAX;
    return StartCaptureRange(static_cast<int32_t>(first), static_cast<int32_t>(last), /*quitAfter=*/false);
}

void FinishCaptureAtDetach() {
    CaptureSession& session = TheCaptureSession();
    if (capture::IsOpen(session.file)) {
        capture::Finish(session.file, session.framesWritten);
        RememberLastCapture(session.name, session.framesWritten, 0);
    }
    ClearName(session);
    session.quitAfter = false;
}

CaptureRange CurrentCaptureRange() { return TheCaptureSession().range; }
bool CaptureFileOpen() { return capture::IsOpen(TheCaptureSession().file); }
uint32_t CaptureFramesWritten() { return TheCaptureSession().framesWritten; }
const char* CaptureFileName() { return TheCaptureSession().name; }

LastCaptureInfo ReadLastCaptureInfo() {
    LastCaptureInfo info;
    info.valid = gLastCapture.valid.load(std::memory_order_acquire);
    if (!info.valid) return info;
    for (std::size_t i = 0; i < kCaptureNameBytes; ++i)
        info.name[i] = gLastCapture.name[i].load(std::memory_order_relaxed);
    info.name[kCaptureNameBytes - 1] = '\0';
    info.frameCount = gLastCapture.frameCount.load(std::memory_order_relaxed);
    info.fileBytes = gLastCapture.fileBytes.load(std::memory_order_relaxed);
    return info;
}

void ResetCaptureSession() {
    CaptureSession& session = TheCaptureSession();
    if (capture::IsOpen(session.file)) capture::Finish(session.file, session.framesWritten);
    session.framesWritten = 0;
    session.range = CaptureRange{};
    session.quitAfter = false;
    session.referencePixels = false;
    session.hotkeyWasDown = false;
    ClearName(session);
    session.directory.clear();
    gCaptureRequested.store(false, std::memory_order_relaxed);
    gLastCapture.valid.store(false, std::memory_order_relaxed);
    gLastCapture.frameCount.store(0, std::memory_order_relaxed);
    gLastCapture.fileBytes.store(0, std::memory_order_relaxed);
}

}  // namespace mora
