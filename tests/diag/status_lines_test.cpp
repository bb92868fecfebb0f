// Status lines: initial texts, cutting to the buffer sizes, formatting, bounded and whole copies.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "diag/status_lines.h"

namespace mora {
namespace {

TEST(StatusLinesTest, InitialTextsCuttingAndFormatting) {
    ResetStatusLines();
    EXPECT_EQ(StatusLineText(StatusLine::ThreadPool), "[MORA threads = default (LPs minus producer)]");
    EXPECT_EQ(StatusLineText(StatusLine::Isa), "");
    EXPECT_EQ(StatusLineText(StatusLine::Framebuffer), "[MORA framebuffer = not set]");

    const std::string longText(400, 'z');
    FormatStatusLine(StatusLine::Isa, "%s", longText.c_str());
    SetStatusLine(StatusLine::ThreadPool, longText);  // its terminator must not land in the next line
    EXPECT_EQ(StatusLineText(StatusLine::ThreadPool), std::string(255, 'z'));
    EXPECT_EQ(StatusLineText(StatusLine::Isa), std::string(127, 'z'));

    FormatStatusLine(StatusLine::Framebuffer, "[MORA framebuffer = %dx%d (%dx%d macro, %dx%d micro tiles)]", 640, 480,
                     20, 15, 80, 60);
    EXPECT_EQ(StatusLineText(StatusLine::Framebuffer), "[MORA framebuffer = 640x480 (20x15 macro, 80x60 micro tiles)]");
    char small[8];
    EXPECT_EQ(CopyStatusLine(StatusLine::Framebuffer, small), 7u);
    EXPECT_EQ(std::string(small), "[MORA f");
    SetStatusLine(StatusLine::ThreadPool, "[short]");  // nothing of the longer text stays behind
    EXPECT_EQ(StatusLineText(StatusLine::ThreadPool), "[short]");
    ResetStatusLines();
}

TEST(StatusLinesTest, ReadersSeeWholeTextsWhileAWriterChangesThem) {
    const std::string a(100, 'a');
    const std::string b(50, 'b');
    SetStatusLine(StatusLine::ThreadPool, a);
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) SetStatusLine(StatusLine::ThreadPool, (i & 1) ? a : b);
    });
    int torn = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string seen = StatusLineText(StatusLine::ThreadPool);
        torn += (seen != a && seen != b) ? 1 : 0;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    ResetStatusLines();
}

}  // namespace
}  // namespace mora
