#include "renderer.h"

namespace mora::scene {

namespace {

// OSMesa constants (GL/osmesa.h).
constexpr GLenum kOsmesaBgra = 0x1;  // bytes B, G, R, A: the same 0xAARRGGBB words as MORA
constexpr GLint kOsmesaYUp = 0x11;   // 0: row 0 of the buffer is the top row

template <typename Pointer>
bool Find(Renderer& renderer, Pointer& pointer, const char* symbol, std::string* error) {
    pointer = reinterpret_cast<Pointer>(LibrarySymbol(renderer.library, symbol));
    if (pointer != nullptr) return true;
    if (error != nullptr) *error = std::string(renderer.name) + ": no entry " + symbol;
    return false;
}

bool FillTable(Renderer& renderer, std::string* error) {
    std::string missing;
    if (FillGlTable(renderer.gl.table, &ResolveLibrarySymbol, &renderer.library, &missing)) return true;
    if (error != nullptr) *error = std::string(renderer.name) + ": no entry " + missing;
    return false;
}

bool MakeMoraDrawable(Renderer& renderer, int width, int height, std::string* error) {
    renderer.dc = renderer.mora.createOffscreenDC(width, height);
    if (renderer.dc != nullptr) renderer.rc = renderer.mora.createContext(renderer.dc);
    if (renderer.rc == nullptr || renderer.mora.makeCurrent(renderer.dc, renderer.rc) != TRUE) {
        if (error != nullptr) *error = "MORA: cannot create an offscreen context";
        return false;
    }
    renderer.width = width;
    renderer.height = height;
    return true;
}

void ReleaseMoraDrawable(Renderer& renderer) {
    if (renderer.rc != nullptr) {
        renderer.mora.makeCurrent(renderer.dc, nullptr);
        renderer.mora.deleteContext(renderer.rc);
    }
    if (renderer.dc != nullptr) renderer.mora.destroyOffscreenDC(renderer.dc);
    renderer.rc = nullptr;
    renderer.dc = nullptr;
    renderer.width = renderer.height = 0;
}

bool BindOsmesaBuffer(Renderer& renderer, int width, int height, std::string* error) {
    // The old buffer stays alive until the context has let go of it.
    std::vector<uint32_t> colour(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    if (renderer.osmesa.makeCurrent(renderer.osmesaContext, colour.data(), GL_UNSIGNED_BYTE, width, height) == 0) {
        if (error != nullptr) *error = "OSMesa: cannot make the context current";
        return false;
    }
    renderer.osmesaColour.swap(colour);
    renderer.osmesa.pixelStore(kOsmesaYUp, 0);
    renderer.width = width;
    renderer.height = height;
    return true;
}

}  // namespace

bool OpenMoraRenderer(Renderer& renderer, const std::string& path, int width, int height, std::string* error) {
    renderer = Renderer{};
    renderer.kind = RendererKind::Mora;
    renderer.name = "MORA";
    if (!OpenSharedLibrary(renderer.library, path, error)) return false;
    MoraEntries& m = renderer.mora;
    const bool found = Find(renderer, m.createOffscreenDC, "moraCreateOffscreenDC", error) &&
                       Find(renderer, m.destroyOffscreenDC, "moraDestroyOffscreenDC", error) &&
                       Find(renderer, m.getPresentedFrameSize, "moraGetPresentedFrameSize", error) &&
                       Find(renderer, m.readPresentedFrame, "moraReadPresentedFrame", error) &&
                       Find(renderer, m.createContext, "wglCreateContext", error) &&
                       Find(renderer, m.makeCurrent, "wglMakeCurrent", error) &&
                       Find(renderer, m.deleteContext, "wglDeleteContext", error) &&
                       Find(renderer, m.swapBuffers, "wglSwapBuffers", error) && FillTable(renderer, error);
    m.getLastFrameTimes =
        reinterpret_cast<decltype(m.getLastFrameTimes)>(LibrarySymbol(renderer.library, "moraGetLastFrameTimes"));
    if (!found || !MakeMoraDrawable(renderer, width, height, error)) {
        CloseRenderer(renderer);
        return false;
    }
    return true;
}

bool OpenOsmesaRenderer(Renderer& renderer, const std::string& path, int width, int height, std::string* error) {
    renderer = Renderer{};
    renderer.kind = RendererKind::Osmesa;
    renderer.name = "OSMesa";
    if (!OpenSharedLibrary(renderer.library, path, error)) return false;
    OsmesaEntries& o = renderer.osmesa;
    const bool found = Find(renderer, o.createContextExt, "OSMesaCreateContextExt", error) &&
                       Find(renderer, o.makeCurrent, "OSMesaMakeCurrent", error) &&
                       Find(renderer, o.pixelStore, "OSMesaPixelStore", error) &&
                       Find(renderer, o.destroyContext, "OSMesaDestroyContext", error) && FillTable(renderer, error);
    if (found) renderer.osmesaContext = o.createContextExt(kOsmesaBgra, 24, 0, 0, nullptr);
    if (found && renderer.osmesaContext == nullptr && error != nullptr) *error = "OSMesa: cannot create a context";
    if (renderer.osmesaContext == nullptr || !BindOsmesaBuffer(renderer, width, height, error)) {
        CloseRenderer(renderer);
        return false;
    }
    return true;
}

bool ResizeRenderer(Renderer& renderer, int width, int height, std::string* error) {
    if (renderer.width == width && renderer.height == height) return true;
    if (renderer.kind == RendererKind::Mora) {
        ReleaseMoraDrawable(renderer);
        return MakeMoraDrawable(renderer, width, height, error);
    }
    return BindOsmesaBuffer(renderer, width, height, error);
}

void EndFrame(Renderer& renderer) {
    if (renderer.kind == RendererKind::Mora)
        renderer.mora.swapBuffers(renderer.dc);
    else
        renderer.gl.table.Finish();
}

bool ReadFrame(Renderer& renderer, std::vector<uint32_t>& pixels) {
    if (renderer.kind == RendererKind::Osmesa) {
        pixels = renderer.osmesaColour;
        return !pixels.empty();
    }
    int width = 0;
    int height = 0;
    if (renderer.mora.getPresentedFrameSize(renderer.dc, &width, &height) != 1 || width < 1 || height < 1) return false;
    // A presented frame can outgrow the drawable (a viewport larger than the window); the scenes
    // never ask for that, so such a frame is not theirs to compare.
    if (width != renderer.width || height != renderer.height) return false;
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    if (renderer.mora.readPresentedFrame(renderer.dc, pixels.data(), width * 4) != 1) return false;
    return true;
}

void CloseRenderer(Renderer& renderer) {
    if (renderer.kind == RendererKind::Mora && renderer.mora.makeCurrent != nullptr) ReleaseMoraDrawable(renderer);
    if (renderer.kind == RendererKind::Osmesa && renderer.osmesaContext != nullptr) {
        renderer.osmesa.destroyContext(renderer.osmesaContext);
        renderer.osmesaContext = nullptr;
    }
    CloseSharedLibrary(renderer.library);
    renderer.gl.table = GlTable{};
}

}  // namespace mora::scene
