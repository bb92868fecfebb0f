#include "entry/gl_subset.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "gl/command_records.h"
#include "platform/environment.h"

namespace mora::api {

namespace detail {

constinit std::atomic<uint8_t> gSubsetState{0};

uint8_t ReadSubsetState() noexcept {
    char value[16];
    const bool seed = platform::ReadEnvironment("MORA_GL_SUBSET", value) == platform::EnvironmentRead::Value &&
                      std::strcmp(value, "seed") == 0;
    const uint8_t state = seed ? 2 : 1;
    gSubsetState.store(state, std::memory_order_relaxed);
    return state;
}

}  // namespace detail

void ReloadSubsetSetting() noexcept { detail::ReadSubsetState(); }

namespace {

// The entries lowered at the entry onto the records of the others.
constexpr std::string_view kLoweredEntryNames[] = {
    "glVertex2d",
    "glVertex2dv",
    "glVertex2i",
    "glVertex2iv",
    "glVertex2s",
    "glVertex2sv",
    "glVertex3d",
    "glVertex3dv",
    "glVertex3i",
    "glVertex3iv",
    "glVertex3s",
    "glVertex3sv",
    "glVertex4d",
    "glVertex4dv",
    "glVertex4f",
    "glVertex4fv",
    "glVertex4i",
    "glVertex4iv",
    "glVertex4s",
    "glVertex4sv",
    "glColor3b",
    "glColor3bv",
    "glColor3d",
    "glColor3dv",
    "glColor3i",
    "glColor3iv",
    "glColor3s",
    "glColor3sv",
    "glColor3ub",
    "glColor3ui",
    "glColor3uiv",
    "glColor3us",
    "glColor3usv",
    "glColor4b",
    "glColor4bv",
    "glColor4d",
    "glColor4dv",
    "glColor4i",
    "glColor4iv",
    "glColor4s",
    "glColor4sv",
    "glColor4ui",
    "glColor4uiv",
    "glColor4us",
    "glColor4usv",
    "glTexCoord1d",
    "glTexCoord1dv",
    "glTexCoord1f",
    "glTexCoord1fv",
    "glTexCoord1i",
    "glTexCoord1iv",
    "glTexCoord1s",
    "glTexCoord1sv",
    "glTexCoord2d",
    "glTexCoord2dv",
    "glTexCoord2i",
    "glTexCoord2iv",
    "glTexCoord2s",
    "glTexCoord2sv",
    "glTexCoord3d",
    "glTexCoord3dv",
    "glTexCoord3f",
    "glTexCoord3fv",
    "glTexCoord3i",
    "glTexCoord3iv",
    "glTexCoord3s",
    "glTexCoord3sv",
    "glTexCoord4d",
    "glTexCoord4dv",
    "glTexCoord4f",
    "glTexCoord4fv",
    "glTexCoord4i",
    "glTexCoord4iv",
    "glTexCoord4s",
    "glTexCoord4sv",
    "glRectd",
    "glRectdv",
    "glRectf",
    "glRectfv",
    "glRecti",
    "glRectiv",
    "glRects",
    "glRectsv",
    "glTranslated",
    "glRotated",
    "glScaled",
    "glLoadMatrixd",
    "glMultMatrixd",
    "glVertexPointer",
    "glColorPointer",
    "glTexCoordPointer",
    "glNormalPointer",
    "glInterleavedArrays",
    "glEnableClientState",
    "glDisableClientState",
    "glPushClientAttrib",
    "glPopClientAttrib",
    "glArrayElement",
    "glDrawArrays",
    "glDrawElements",
    "glGenLists",
    "glNewList",
    "glEndList",
    "glCallList",
    "glCallLists",
    "glListBase",
    "glDeleteLists",
    "glIsList",
    // Lighting and texture coordinate generation: the vertices are recorded with their results.
    "glNormal3b",
    "glNormal3bv",
    "glNormal3d",
    "glNormal3dv",
    "glNormal3f",
    "glNormal3fv",
    "glNormal3i",
    "glNormal3iv",
    "glNormal3s",
    "glNormal3sv",
    "glLightf",
    "glLightfv",
    "glLighti",
    "glLightiv",
    "glLightModelf",
    "glLightModelfv",
    "glLightModeli",
    "glLightModeliv",
    "glMaterialf",
    "glMaterialfv",
    "glMateriali",
    "glMaterialiv",
    "glColorMaterial",
    "glTexGend",
    "glTexGendv",
    "glTexGenf",
    "glTexGenfv",
    "glTexGeni",
    "glTexGeniv",
};

constexpr std::size_t kReplayableCount = std::size(kReplayableEntryNames);
constexpr std::size_t kLoweredCount = std::size(kLoweredEntryNames);

constexpr std::array<std::string_view, kReplayableCount + kLoweredCount> kReproducedNames = [] {
    std::array<std::string_view, kReplayableCount + kLoweredCount> all{};
    std::copy(std::begin(kReplayableEntryNames), std::end(kReplayableEntryNames), all.begin());
    std::copy(std::begin(kLoweredEntryNames), std::end(kLoweredEntryNames), all.begin() + kReplayableCount);
    return all;
}();

}  // namespace

std::span<const std::string_view> ReproducedEntryNames() noexcept {
    if (LoweringOn()) {
        return kReproducedNames;
    }
    return std::span<const std::string_view>(kReproducedNames.data(), kReplayableCount);
}

}  // namespace mora::api
