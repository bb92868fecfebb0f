// mora-calls: drives the driver through its entry points the way a late-1990s game renderer
// does (an offscreen device context and a rendering context, texture uploads, then per frame:
// viewport, clears, a perspective pass of textured triangles, an orthographic overlay of blended
// quads and wglSwapBuffers) and prints what the entry layer did: the calls counted per entry, the
// bytes recorded per frame, the first Cmd records decoded, and a digest of each presented frame.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "diag/frame_counter.h"
#include "entry/entry_table.h"
#include "frame/library_lifetime.h"
#include "gl/command_buffer.h"
#include "gl/command_records.h"
#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"
#include "panel/driver_settings.h"

namespace {

constexpr int kFrames = 3;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kGridSize = 8;       // the world pass draws kGridSize x kGridSize quads
constexpr int kRecordsShown = 16;  // Cmd records decoded from the first frame

// Names of the 47 Cmd opcodes, and for each the kinds of its payload words:
// x hex word, i signed, f float, 8 the low half of a u64 (printed with the next word).
struct CmdDescription {
    const char* name;
    const char* payload;
};
constexpr CmdDescription kCmdDescriptions[mora::kCmdOpCount] = {
    {"MatrixMode", "x"},
    {"LoadIdentity", ""},
    {"LoadMatrixf", "ffffffffffffffff"},
    {"MultMatrixf", "ffffffffffffffff"},
    {"PushMatrix", ""},
    {"PopMatrix", ""},
    {"Translatef", "fff"},
    {"Rotatef", "ffff"},
    {"Scalef", "fff"},
    {"Ortho", "ffffff"},
    {"Frustum", "ffffff"},
    {"Viewport", "iiii"},
    {"DepthRange", "ff"},
    {"Scissor", "iiii"},
    {"Enable", "x"},
    {"Disable", "x"},
    {"BlendFunc", "xx"},
    {"AlphaFunc", "xf"},
    {"DepthFunc", "x"},
    {"DepthMask", "i"},
    {"ColorMask", "iiii"},
    {"TexEnvi", "xxi"},
    {"TexEnvfv", "xxffff"},
    {"TexParameteri", "xxi"},
    {"PixelStorei", "xi"},
    {"CullFace", "x"},
    {"FrontFace", "x"},
    {"ShadeModel", "x"},
    {"PolygonMode", "xx"},
    {"PolygonOffset", "ff"},
    {"ActiveTextureARB", "x"},
    {"GenTextures", "ix"},
    {"DeleteTextures", "i88"},
    {"BindTexture", "xi"},
    {"TexImage2D", "xiiiiixxx88xx"},
    {"TexSubImage2D", "xiiiiixxx88xx"},
    {"Color", "x"},
    {"TexCoord2f", "ff"},
    {"ClearColor", "ffff"},
    {"ClearDepth", "f"},
    {"Clear", "x"},
    {"Begin", "x"},
    {"Vertex2f", "ff"},
    {"Vertex3f", "fff"},
    {"End", ""},
    {"FrameEnd", ""},
    {"ReadPixels", "iiiixx"},
};

uint32_t Word(const uint8_t* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return word;
}

void PrintRecord(uint64_t offset, const uint8_t* record, uint32_t size, uint32_t op) {
    const CmdDescription& description = kCmdDescriptions[op];
    std::printf("    +%-6" PRIu64 " %-16s", offset, description.name);
    const char* kind = description.payload;
    for (uint32_t at = 4; at + 4 <= size && *kind != '\0'; at += 4, ++kind) {
        const uint32_t word = Word(record + at);
        switch (*kind) {
            case 'i': std::printf(" %d", static_cast<int32_t>(word)); break;
            case 'f': {
                float value;
                std::memcpy(&value, &word, 4);
                std::printf(" %g", static_cast<double>(value));
                break;
            }
            case '8':
                std::printf(" %" PRIu64, word | uint64_t{Word(record + at + 4)} << 32);
                at += 4;
                break;
            default: std::printf(" 0x%04X", word); break;
        }
    }
    std::printf("\n");
}

// Walks the recorded stream: prints the first `shown` records and counts records per opcode.
void DescribeStream(const mora::CommandStream& stream, int shown) {
    uint64_t perOp[mora::kCmdOpCount] = {};
    uint64_t records = 0;
    const uint64_t size = mora::CommandBufferSize(stream);
    for (uint64_t offset = 0; offset + 4 <= size;) {
        const uint32_t header = Word(stream.begin + offset);
        const uint32_t recordSize = mora::CmdHeaderSize(header);
        const uint32_t op = mora::CmdHeaderOp(header);
        if (recordSize < 4 || offset + recordSize > size || op >= mora::kCmdOpCount) {
            std::printf("    malformed record at +%" PRIu64 " (header 0x%08X)\n", offset, header);
            return;
        }
        if (records < static_cast<uint64_t>(shown)) {
            PrintRecord(offset, stream.begin + offset, recordSize, op);
        }
        ++perOp[op];
        ++records;
        offset += recordSize;
    }
    if (shown > 0 && records > static_cast<uint64_t>(shown)) {
        std::printf("    ... %" PRIu64 " more records\n", records - static_cast<uint64_t>(shown));
    }
    std::printf("  records by opcode:");
    for (int op = 0; op < mora::kCmdOpCount; ++op) {
        if (perOp[op] != 0) {
            std::printf(" %s=%" PRIu64, kCmdDescriptions[op].name, perOp[op]);
        }
    }
    std::printf("\n");
}

uint64_t TotalCalls() {
    uint64_t total = 0;
    for (const mora::EntryRow& row : mora::TheEntryTable().rows) {
        total += row.calls.load();
    }
    return total;
}

struct Textures {
    GLuint checker = 0;
    GLuint font = 0;
};

Textures UploadTextures() {
    Textures textures;
    GLuint names[2] = {};
    glGenTextures(2, names);
    textures.checker = names[0];
    textures.font = names[1];

    uint8_t checker[8 * 8 * 4];
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t shade = ((x ^ y) & 1) != 0 ? 255 : 64;
            uint8_t* texel = checker + (y * 8 + x) * 4;
            texel[0] = shade;
            texel[1] = shade;
            texel[2] = static_cast<uint8_t>(shade / 2);
            texel[3] = 255;
        }
    }
    glBindTexture(GL_TEXTURE_2D, textures.checker);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, checker);

    uint8_t font[16 * 16];
    for (int i = 0; i < 16 * 16; ++i) {
        font[i] = static_cast<uint8_t>((i * 37) & 0xFF);
    }
    glBindTexture(GL_TEXTURE_2D, textures.font);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, 16, 16, 0, GL_ALPHA, GL_UNSIGNED_BYTE, font);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return textures;
}

// The world: a grid of textured, vertex-coloured quads drawn as triangles in perspective.
void DrawWorld(const Textures& textures, int frame) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.075, 0.075, 0.1, 4096.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(10.0f * static_cast<float>(frame), 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -2.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures.checker);
    glBegin(GL_TRIANGLES);
    for (int gy = 0; gy < kGridSize; ++gy) {
        for (int gx = 0; gx < kGridSize; ++gx) {
            const float x0 = static_cast<float>(gx - kGridSize / 2) * 16.0f;
            const float y0 = static_cast<float>(gy - kGridSize / 2) * 16.0f;
            // Wound clockwise as seen from above, the side that faces the camera: the front faces
            // (counter-clockwise on screen) are the culled ones, as in the games this serves.
            const float corners[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}};
            for (const auto& c : corners) {
                glColor4ub(static_cast<GLubyte>(128 + gx * 8), static_cast<GLubyte>(128 + gy * 8), 200, 255);
                glTexCoord2f(c[0], c[1]);
                glVertex3f(x0 + c[0] * 16.0f, y0 + c[1] * 16.0f, 0.0f);
            }
        }
    }
    glEnd();
}

// The overlay: a few alpha-blended quads in screen coordinates.
void DrawOverlay(const Textures& textures) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, -99999.0, 99999.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.666f);
    glBindTexture(GL_TEXTURE_2D, textures.font);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    for (int i = 0; i < 8; ++i) {
        const float x = 8.0f + 8.0f * static_cast<float>(i);
        const GLfloat v[4][2] = {{x, 8.0f}, {x + 8.0f, 8.0f}, {x + 8.0f, 16.0f}, {x, 16.0f}};
        const GLfloat st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int k = 0; k < 4; ++k) {
            glTexCoord2fv(st[k]);
            glVertex2fv(v[k]);
        }
    }
    glEnd();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

void DrawFrame(const Textures& textures, int frame) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawWorld(textures, frame);
    DrawOverlay(textures);
    (void)glGetError();
}

// FNV-1a over the presented frame, and one pixel of the floor (a quarter of the height above the
// bottom), so that runs can be compared.
void DescribePresentedFrame(HDC hdc) {
    int width = 0;
    int height = 0;
    if (moraGetPresentedFrameSize(hdc, &width, &height) == 0 || width < 1 || height < 1) {
        std::printf("  presented: nothing\n");
        return;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (moraReadPresentedFrame(hdc, pixels.data(), width * 4) == 0) {
        std::printf("  presented: %dx%d, not readable\n", width, height);
        return;
    }
    uint32_t digest = 0x811C9DC5u;
    for (uint8_t byte : pixels) {
        digest = (digest ^ byte) * 16777619u;
    }
    const uint8_t* floor =
        pixels.data() + (static_cast<size_t>(height * 3 / 4) * static_cast<size_t>(width) + width / 2) * 4;
    std::printf("  presented: %dx%d, FNV-1a 0x%08X, pixel (%d, %d) B=%u G=%u R=%u A=%u\n", width, height, digest,
                width / 2, height * 3 / 4, floor[0], floor[1], floor[2], floor[3]);
}

}  // namespace

int main() {
    mora::LibraryAttach();
    std::printf("MORA entry-point run: %d frames of immediate-mode drawing (pipeline cut-off %d)\n", kFrames,
                mora::SettingValue(mora::TheDriverSettings().PipelineCutoff));
    HDC hdc = moraCreateOffscreenDC(kWidth, kHeight);
    HGLRC context = hdc != nullptr ? wglCreateContext(hdc) : nullptr;
    if (context == nullptr || wglMakeCurrent(hdc, context) == FALSE) {
        std::printf("no rendering context for a %dx%d offscreen device context\n", kWidth, kHeight);
        mora::LibraryDetach();
        return 1;
    }
    std::printf("  vendor \"%s\", renderer \"%s\", version \"%s\", extensions \"%s\"\n",
                reinterpret_cast<const char*>(glGetString(GL_VENDOR)),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    std::printf("  GL_MAX_TEXTURE_SIZE %d\n", maxTexture);

    Textures textures;
    for (int frame = 0; frame < kFrames; ++frame) {
        const uint64_t callsBefore = TotalCalls();
        if (frame == 0) {
            textures = UploadTextures();
        }
        DrawFrame(textures, frame);
        // What wglSwapBuffers is about to hand over.
        const mora::CommandRecording& recording = mora::TheCommandRecording();
        std::printf("\nframe %d: %" PRIu64 " calls, CommandStream %" PRIu64 " bytes, CommandBlob %" PRIu64 " bytes\n",
                    mora::CurrentFrame(), TotalCalls() - callsBefore, mora::CommandBufferSize(recording.stream),
                    mora::CommandBufferSize(recording.blob));
        DescribeStream(recording.stream, frame == 0 ? kRecordsShown : 0);
        wglSwapBuffers(hdc);
        DescribePresentedFrame(hdc);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    moraDestroyOffscreenDC(hdc);

    std::printf("\nentry counters (called entries, row order):\n");
    int called = 0;
    for (const mora::EntryRow& row : mora::TheEntryTable().rows) {
        const uint64_t calls = row.calls.load();
        if (calls != 0) {
            std::printf("    %-24s %8" PRIu64 "\n", row.name, calls);
            ++called;
        }
    }
    std::printf("  %d of %zu entries called, %" PRIu64 " calls in all\n", called, mora::kEntryCount, TotalCalls());
    mora::LibraryDetach();
    return 0;
}
