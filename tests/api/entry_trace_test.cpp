// Trace lines written by the entry points: the exact message text of a few implemented,
// forwarding, vector and counted-only entries, and counting that goes on outside the frame range
// (ranges themselves are checked in tests/diag/trace_test.cpp).
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "api/api_test_support.h"
#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "mora/gl.h"
#include "test_support/temp_dir.h"

namespace mora::test {
namespace {

struct TracedCall {
    int frame = 0;
    unsigned long long sequence = 0;
    std::string context;
    std::string message;
};

class EntryTrace : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override {
        SetFrameCounter(0);
        ApiTest::TearDown();
    }

    // The call lines of a closed trace file, split into their parts.
    std::vector<TracedCall> ReadCalls(const std::string& file) {
        const std::string text = dir_.Read(file);
        EXPECT_FALSE(text.empty()) << file;
        static const std::regex kLine(R"re(^\[frame=(-?\d+)\]\[seq=\s*(\d+)\] (\S+) +(.*)$)re");
        std::vector<TracedCall> calls;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_match(line, m, kLine)) {
                calls.push_back({std::stoi(m[1]), std::stoull(m[2]), m[3], m[4]});
            }
        }
        return calls;
    }

    TempDir dir_{"mora_entry_trace"};
    const std::string& folder_ = dir_.path;
};

std::string Pointer(const void* p) {
    char text[64];
    std::snprintf(text, sizeof(text), "%p", p);
    return text;
}

// Frames outside the range write nothing but still count.
TEST_F(EntryTrace, EntriesWriteTheirNameAndArgumentsInsideTheFrameRange) {
    ASSERT_TRUE(OpenTrace(5, 6, "test", false, folder_.c_str()));
    const CounterSnapshot before = SnapshotCounters();
    SetFrameCounter(4);
    glFlush();
    SetFrameCounter(5);
    const GLfloat v[3] = {4.0f, 5.0f, 6.0f};
    const GLfloat fog[4] = {};
    glVertex3f(1.0f, 2.0f, 3.0f);
    glVertex3fv(nullptr);
    glVertex3fv(v);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnd();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 8448.7f);
    glColor4ub(255, 0, 128, 7);
    glColor3fv(v);
    SetFrameCounter(6);
    glClearDepth(0.5);
    glFogfv(GL_FOG_COLOR, fog);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    SetFrameCounter(7);
    glFlush();
    CloseTrace();
    EXPECT_EQ(CallsSince(before, EntryId::glFlush), 2u);

    const std::vector<TracedCall> calls = ReadCalls("MORA_trace_frames5-6.mora-trace");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"MORA::GL::Vertex3f", "(x=1.000000, y=2.000000, z=3.000000)"},
        {"MORA::GL::Vertex3fv", "(v=NULL)"},
        {"MORA::GL::Vertex3fv", "(x=4.000000, y=5.000000, z=6.000000)"},
        {"MORA::GL::Clear", "(mask=0x00004100)"},
        {"MORA::GL::End", "()"},
        {"MORA::GL::TexEnvf", "(target=0x2300, pname=0x2200, param=8448.700195)"},
        {"MORA::GL::TexEnvi", "(target=0x2300, pname=0x2200, param=8448)"},
        {"MORA::GL::Color4ub", "(r=255, g=0, b=128, a=7)"},
        {"MORA::GL::Color3fv", "(v=" + Pointer(v) + ")"},
        {"MORA::GL::ClearDepth", "(depth=0.500000)"},
        {"MORA::GL::Fogfv", "(pname=0x0B66, params=" + Pointer(fog) + ")"},
        {"MORA::GL::TexImage2D",
         "(target=0x0DE1, level=0, internalformat=3, w=64, h=32, border=0, format=0x1907, "
         "type=0x1401, pixels=" +
             Pointer(nullptr) + ")"},
    };
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(std::make_pair(calls[i].context, calls[i].message), expected[i]);
        EXPECT_EQ(calls[i].frame, i < 9 ? 5 : 6);
        EXPECT_EQ(calls[i].sequence, calls[0].sequence + i) << "one line per call, in call order";
    }
}

}  // namespace
}  // namespace mora::test
