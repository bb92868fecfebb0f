// The two renderers the scene runs on, behind one record: MORA (libmora.so: an offscreen device
// context, a WGL context, one wglSwapBuffers per frame, the presented frame read back) and
// OSMesa (llvmpipe: a 24-bit depth context rendering into memory, glFinish ends a frame). Each
// library is loaded privately and reached only through the Renderer's SceneGl table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mora/mora_dc.h"
#include "mora/wgl.h"
#include "scene_gl.h"
#include "shared_library.h"

namespace mora::scene {

enum class RendererKind { Mora, Osmesa };

// MORA's window-system entries, found by name in libmora.so.
struct MoraEntries {
    decltype(&::moraCreateOffscreenDC) createOffscreenDC = nullptr;
    decltype(&::moraDestroyOffscreenDC) destroyOffscreenDC = nullptr;
    decltype(&::moraGetPresentedFrameSize) getPresentedFrameSize = nullptr;
    decltype(&::moraReadPresentedFrame) readPresentedFrame = nullptr;
    decltype(&::wglCreateContext) createContext = nullptr;
    decltype(&::wglMakeCurrent) makeCurrent = nullptr;
    decltype(&::wglDeleteContext) deleteContext = nullptr;
    decltype(&::wglSwapBuffers) swapBuffers = nullptr;
    decltype(&::moraGetLastFrameTimes) getLastFrameTimes = nullptr;  // absent in older libraries
};

// The OSMesa entries used (declared here rather than through GL/osmesa.h, whose GL types and
// enumerants would collide with mora/gl.h).
struct OsmesaEntries {
    void* (*createContextExt)(GLenum format, GLint depthBits, GLint stencilBits, GLint accumBits,
                              void* share) = nullptr;
    GLboolean (*makeCurrent)(void* context, void* buffer, GLenum type, GLsizei width, GLsizei height) = nullptr;
    void (*pixelStore)(GLint pname, GLint value) = nullptr;
    void (*destroyContext)(void* context) = nullptr;
};

struct Renderer {
    RendererKind kind = RendererKind::Mora;
    const char* name = "";
    SceneGl gl;
    SharedLibrary library;
    int width = 0;
    int height = 0;
    // MORA
    MoraEntries mora;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    // OSMesa
    OsmesaEntries osmesa;
    void* osmesaContext = nullptr;
    std::vector<uint32_t> osmesaColour;  // BGRA bytes = 0xAARRGGBB words, top row first
};

// Opens the library at `path`, makes a width x height drawable with a current context on this
// thread and fills the GL table. False with a message in *error; the renderer is then closed.
bool OpenMoraRenderer(Renderer& renderer, const std::string& path, int width, int height, std::string* error);
bool OpenOsmesaRenderer(Renderer& renderer, const std::string& path, int width, int height, std::string* error);

// Replaces the drawable by one of the new size (GL state and textures stay).
bool ResizeRenderer(Renderer& renderer, int width, int height, std::string* error);

// Ends the frame: wglSwapBuffers for MORA, glFinish for OSMesa. Not counted in gl.calls.
void EndFrame(Renderer& renderer);

// The last finished frame, top row first, 0xAARRGGBB; false when there is none.
bool ReadFrame(Renderer& renderer, std::vector<uint32_t>& pixels);

// Releases the context and drawable and unloads the library.
void CloseRenderer(Renderer& renderer);

}  // namespace mora::scene
