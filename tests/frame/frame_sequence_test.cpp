// The frame sequence from the WGL entries down: the trace lines of the WGL entries, the frame
// counter that every swap advances once, the request poll that closes a finished trace, a capture
// whose frames end in the frame-end marker and carry the rendered pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/capture_session.h"
#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "entry/entry_table.h"
#include "geometry/frame_executor_thread.h"
#include "gl/command_buffer.h"
#include "gl/command_records.h"
#include "mora/gl.h"
#include "render/tile_grid.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"
#include "frame_test_support.h"

namespace mora::test {
namespace {

std::string Pointer(const void* p) {
    char text[64];
    std::snprintf(text, sizeof(text), "%p", p);
    return text;
}

class FrameSequence : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWglHooks();
        ResetDriverState();
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override {
        ResetDriverState();
        SetCurrentContextRecord(nullptr);
    }
    // "context message" of each call line of a closed trace file.
    std::vector<std::string> TracedCalls(const std::string& file) {
        const std::string text = dir_.Read(file);
        EXPECT_FALSE(text.empty()) << file;
        static const std::regex kLine(R"re(^\[frame=-?\d+\]\[seq=\s*\d+\] (\S+) +(.*)$)re");
        std::vector<std::string> calls;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_match(line, m, kLine)) calls.push_back(m[1].str() + " " + m[2].str());
        }
        return calls;
    }
    TempDir dir_{"mora_wgl_frames"};
    const std::string& folder_ = dir_.path;
};

// The swap that ends the traced frame is its last line: it advances the frame counter once, counts
// as both swap entries, and the poll after it closes the trace.
TEST_F(FrameSequence, WglEntriesTraceTheirArgumentsUntilTheSwapEndsTheRange) {
    const int32_t frame = CurrentFrame();
    ASSERT_TRUE(OpenTrace(frame, frame, "test", false, folder_.c_str()));
    const uint64_t swaps = EntryCalls(EntryId::wglSwapBuffers);
    const uint64_t layerSwaps = EntryCalls(EntryId::wglSwapLayerBuffers);
    int marker = 0;
    const HDC hdc = reinterpret_cast<HDC>(&marker);  // only traced: the frame goes to the current context
    PIXELFORMATDESCRIPTOR pfd{};
    wglChoosePixelFormat(hdc, &pfd);
    wglDescribePixelFormat(hdc, 3, 39, &pfd);
    wglCopyContext(nullptr, nullptr, 0xABCu);
    wglGetProcAddress(nullptr);
    wglGetProcAddress("glColorTableEXT");
    wglUseFontBitmapsA(hdc, 1, 2, 3000000000u);
    wglCreateLayerContext(nullptr, 0);  // traces itself, then wglCreateContext traces itself
    wglSetLayerPaletteEntries(hdc, -1, 2, 3, nullptr);
    wglGetCurrentDC();
    CurrentOffscreenContext current(16, 16);
    EXPECT_EQ(wglSwapLayerBuffers(hdc, 0x5u), TRUE);
    EXPECT_EQ(CurrentFrame(), frame + 1);
    EXPECT_EQ(EntryCalls(EntryId::wglSwapBuffers), swaps + 1);
    EXPECT_EQ(EntryCalls(EntryId::wglSwapLayerBuffers), layerSwaps + 1);
    EXPECT_FALSE(TraceFileOpen()) << "the poll closes a trace once its last frame has passed";
    EXPECT_EQ(CurrentTraceRange().first, -1);
    const std::string h = Pointer(hdc);
    const std::vector<std::string> expected = {
        "MORA::WGL::ChoosePixelFormat (hdc=" + h + ", ppfd=" + Pointer(&pfd) + ")",
        "MORA::WGL::DescribePixelFormat (hdc=" + h + ", iPixelFormat=3, nBytes=39)",
        "MORA::WGL::CopyContext (src=" + Pointer(nullptr) + ", dst=" + Pointer(nullptr) + ", mask=0x00000ABC)",
        "MORA::WGL::GetProcAddress (name=\"\")",
        "MORA::WGL::GetProcAddress (name=\"glColorTableEXT\")",
        "MORA::WGL::UseFontBitmapsA (hdc=" + h + ", first=1, count=2, listBase=3000000000)",
        "MORA::WGL::CreateLayerContext (hdc=" + Pointer(nullptr) + ", iLayerPlane=0)",
        "MORA::WGL::CreateContext (hdc=" + Pointer(nullptr) + ")",
        "MORA::WGL::SetLayerPaletteEntries (hdc=" + h + ", iLayerPlane=-1, iStart=2, cEntries=3)",
        "MORA::WGL::GetCurrentDC ()",
        "MORA::WGL::SwapLayerBuffers (hdc=" + h + ", fuPlanes=0x00000005)",
        "MORA::WGL::SwapBuffers (hdc=" + h + ")",
    };
    EXPECT_EQ(TracedCalls("MORA_trace_frame" + std::to_string(frame) + ".mora-trace"), expected);
}

TEST_F(FrameSequence, CapturedFramesEndWithTheMarkerAndCarryTheRenderedPixels) {
    CurrentOffscreenContext current(16, 8);
    ASSERT_NE(current.context, nullptr);
    SetCaptureDirectory(folder_.c_str());
    SetCaptureReferencePixels(true);
    const int32_t first = CurrentFrame();
    ASSERT_TRUE(StartCaptureRange(first, first + 1, false));
    const std::string name = CaptureFileName();
    const float reds[2] = {1.0f, 0.0f};
    for (float red : reds) {
        glViewport(0, 0, 16, 8);
        glClearColor(red, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(wglSwapBuffers(nullptr), TRUE);
    }
    // The poll at the end of the range's last frame has finished the file and disarmed the range.
    EXPECT_FALSE(CaptureFileOpen());
    EXPECT_EQ(CurrentCaptureRange().first, -1);
    ASSERT_TRUE(ReadLastCaptureInfo().valid);
    EXPECT_EQ(ReadLastCaptureInfo().frameCount, 2u);
    SetCaptureReferencePixels(false);

    CaptureData data;
    std::string error;
    ASSERT_TRUE(ReadCapture((folder_ + "/" + name).c_str(), data, &error)) << error;
    EXPECT_EQ(data.width, 16u);
    EXPECT_EQ(data.height, 8u);
    ASSERT_EQ(data.frameStreams.size(), 2u);
    const uint32_t words[2] = {0xFFFF00FFu, 0xFF0000FFu};
    for (size_t f = 0; f < 2; ++f) {
        const std::vector<uint8_t>& stream = data.frameStreams[f];
        ASSERT_GE(stream.size(), 4u);
        uint32_t last = 0;
        std::memcpy(&last, stream.data() + stream.size() - 4, 4);
        EXPECT_EQ(CmdHeaderOp(last), 45u) << "frame " << f << " ends with the frame-end marker";
        EXPECT_EQ(CmdHeaderSize(last), 4u);
        const std::vector<uint8_t>& bytes = data.frameReferencePixels[f];
        ASSERT_EQ(bytes.size(), 16u * 8u * 4u) << "rows of exactly width x 4 bytes";
        std::vector<uint32_t> pixels(16 * 8);
        std::memcpy(pixels.data(), bytes.data(), bytes.size());
        EXPECT_EQ(pixels, std::vector<uint32_t>(16 * 8, words[f])) << "frame " << f;
    }
}

// An execution that fails part-way (out of memory) abandons what it was given, in the read-back
// flush as in the frame end: no recorded command, pending clear or triangle survives into the next
// frame, which then renders normally.
TEST_F(FrameSequence, AFailedExecutionAbandonsTheFlushAndTheFrameEnd) {
    CurrentOffscreenContext current(8, 8);
    ASSERT_NE(current.context, nullptr);
    FrameExecutorThread& executor = TheFrameExecutorThread();
    StopFrameExecutorThread(executor);
    ASSERT_TRUE(StartFrameExecutorThread(executor, [](const FrameRecording&, bool) { throw std::bad_alloc(); }));
    for (const bool flush : {true, false}) {
        SCOPED_TRACE(flush ? "flush" : "frame end");
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(TheGlContext().colourClearPending);
        if (flush) {
            uint8_t pixel[4] = {};
            glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        } else {
            EXPECT_EQ(wglSwapBuffers(nullptr), TRUE);
        }
        EXPECT_EQ(CommandBufferSize(TheCommandRecording().stream), 0u);
        EXPECT_FALSE(TheGlContext().colourClearPending);
        EXPECT_TRUE(TheTileGrid().setupTriangles.empty());
    }
    EXPECT_TRUE(StopFrameExecutorThread(executor));  // the next frame starts the production executor
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(wglSwapBuffers(nullptr), TRUE);
    const ImageView shown = PresentedImage(current.context->surface.presenter);
    ASSERT_TRUE(IsUsable(shown));
    EXPECT_EQ(ImageRow(shown, 3)[3] & 0x00FFFFFFu, 0x0000FF00u);
}

}  // namespace
}  // namespace mora::test
