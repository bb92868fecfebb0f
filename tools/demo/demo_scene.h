// mora-demo's scene, drawn the way late-1990s game renderers drew: a textured room with a second
// lightmap pass multiplied over it, vertex-lit models, alpha-blended particles with the depth
// write off, and an orthographic alpha-tested HUD. Everything through immediate-mode GL 1.1.
#pragma once

#include "demo_textures.h"

namespace demo {

struct Scene {
    Textures textures;
    int width = 0;
    int height = 0;
};

// Uploads the textures and sets the state that never changes (call with a current context).
void InitScene(Scene& scene, int width, int height);

// Draws frame `frame` (animation time frame / 60 s); `fps` is shown on the HUD.
void DrawScene(const Scene& scene, int frame, double fps);

}  // namespace demo
