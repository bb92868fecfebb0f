// Every GL entry point called once with zero or null arguments: nothing crashes, each call counts
// exactly once on its own row (plus the forwarded calls on the integer rows), WGL rows stay put.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "api/api_test_support.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

template <class Ret, class... Args>
void CallWithZeros(Ret (*entry)(Args...)) {
    (void)entry(Args{}...);
}

void CallEveryGlEntryWithZeros() {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) CallWithZeros(&gl##Name);
#include "entry/entry_list.inc"
}

using EntryCounting = ApiTest;

TEST_F(EntryCounting, EveryGlEntryCountsOnceOnItsOwnRow) {
    const CounterSnapshot before = SnapshotCounters();
    CallEveryGlEntryWithZeros();
    for (std::size_t row = 0; row < kEntryCount; ++row) {
        const EntryId id = static_cast<EntryId>(row);
        uint64_t expected = row < kGlEntryCount ? 1 : 0;
        // glTexEnvf and glTexParameterf run the integer entry's frame again; glTexEnviv does not
        // with a null pointer.
        if (id == EntryId::glTexEnvi || id == EntryId::glTexParameteri) expected = 2;
        EXPECT_EQ(CallsSince(before, id), expected) << EntryName(id);
    }
}

TEST_F(EntryCounting, CountedOnlyEntriesRecordNothingAndTakeAnyArguments) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const GLfloat v[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    const CounterSnapshot before = SnapshotCounters();
    glRasterPos4f(nan, nan, nan, nan);
    glEvalCoord2d(inf, -inf);
    glRasterPos3i(1, 2, 3);
    glIndexd(inf);
    glRasterPos2fv(v);
    glLightfv(GL_LIGHT0, GL_POSITION, v);
    glNormal3f(1.0f, 2.0f, 3.0f);
    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, 0.5f, 0.5f);
    glMTexCoord2fSGIS(GL_TEXTURE1_SGIS, 0.5f, 0.5f);
    glSelectTextureSGIS(GL_TEXTURE1_SGIS);
    glClientActiveTextureARB(GL_TEXTURE1_ARB);
    glColorTableEXT(GL_COLOR_TABLE_EXT, GL_RGB, 256, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(StreamBytes(), 0u);
    EXPECT_EQ(BlobBytes(), 0u);
    // No counted-only form forwards (to glVertex3f, say).
    EXPECT_EQ(CallsSince(before, {EntryId::glRasterPos4f, EntryId::glColorTableEXT, EntryId::glVertex3f}),
              (std::vector<uint64_t>{1, 1, 0}));
}

}  // namespace
}  // namespace mora::test
