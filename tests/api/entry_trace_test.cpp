// Trace lines written by the entry points: the exact line of a few implemented, forwarding, vector
// and counted-only entries, and counting that goes on outside the frame range (ranges themselves
// are checked in tests/diag/trace_test.cpp).
#include <gtest/gtest.h>

#include <cstdio>
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

std::string Pointer(const void* p) {
    char text[64];
    std::snprintf(text, sizeof(text), "%p", p);
    return text;
}

using EntryTrace = ApiTest;

// Frames outside the range write nothing but still count.
TEST_F(EntryTrace, EntriesWriteTheirNameAndArgumentsInsideTheFrameRange) {
    TempDir dir{"mora_entry_trace"};
    ASSERT_TRUE(OpenTrace(5, 6, "test", false, dir.path.c_str()));
    const CounterSnapshot before = SnapshotCounters();
    SetFrameCounter(4);
    glFlush();
    SetFrameCounter(5);
    const GLfloat v[3] = {4.0f, 5.0f, 6.0f};
    const GLfloat fog[4] = {};
    glVertex3f(1.0f, 2.0f, 3.0f);
    glVertex3fv(nullptr);
    glVertex3fv(v);
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
    SetFrameCounter(0);
    EXPECT_EQ(CallsSince(before, EntryId::glFlush), 2u);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Vertex3f", "(x=1.000000, y=2.000000, z=3.000000)"},
        {"Vertex3fv", "(v=NULL)"},
        {"Vertex3fv", "(x=4.000000, y=5.000000, z=6.000000)"},
        {"TexEnvf", "(target=0x2300, pname=0x2200, param=8448.700195)"},
        {"TexEnvi", "(target=0x2300, pname=0x2200, param=8448)"},
        {"Color4ub", "(r=255, g=0, b=128, a=7)"},
        {"Color3fv", "(v=" + Pointer(v) + ")"},
        {"ClearDepth", "(depth=0.500000)"},
        {"Fogfv", "(pname=0x0B66, params=" + Pointer(fog) + ")"},
        {"TexImage2D",
         "(target=0x0DE1, level=0, internalformat=3, w=64, h=32, border=0, format=0x1907, type=0x1401, "
         "pixels=" +
             Pointer(nullptr) + ")"},
    };
    std::vector<std::string> lines;
    std::istringstream in(dir.Read("MORA_trace_frames5-6.mora-trace"));
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("[frame=")) lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), expected.size());
    // One line per call, in call order: the sequence numbers follow on from the first.
    const unsigned long long first = std::stoull(lines[0].substr(lines[0].find("[seq=") + 5));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        char head[96];
        std::snprintf(head, sizeof(head), "[frame=%d][seq=%6llu] %-36s ", i < 7 ? 5 : 6, first + i,
                      ("MORA::GL::" + expected[i].first).c_str());
        EXPECT_EQ(lines[i], head + expected[i].second);
    }
}

}  // namespace
}  // namespace mora::test
