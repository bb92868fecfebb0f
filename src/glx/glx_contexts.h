// GLX contexts: the records GLXContext handles name (display, configuration, screen) with their
// registry, so that a destroyed or made-up handle is refused instead of dereferenced, and the
// calling thread's current context, drawables and display. A context is current on at most one
// thread; one destroyed while current is freed when it stops being current.
#pragma once

#include <cstdint>

#include "glx/fb_config.h"
#include "glx/glx_drawables.h"

namespace mora::glx {

struct GlxContext {
    void* display = nullptr;
    const FbConfig* config = nullptr;
    int32_t screen = 0;
    const void* owner = nullptr;  // the thread it is current on, or null
    bool destroyPending = false;
    bool madeCurrent = false;  // its viewport has been set to the first window's size
};

// What is current on the calling thread.
struct ThreadCurrent {
    GlxContext* context = nullptr;
    void* display = nullptr;
    uint64_t draw = 0;
    uint64_t read = 0;
    GlxDrawable* drawable = nullptr;
};

ThreadCurrent& CurrentOnThisThread();

// A registered record; null when memory runs out.
GlxContext* CreateGlxContext(void* display, const FbConfig* config, int32_t screen);

// True while `handle` names a context made above and not yet freed (destroyed and not current).
bool IsLiveGlxContext(const void* handle);

// Destroys the context, or marks it to be freed when it stops being current (again for one
// already marked). False for a handle that is neither live nor marked.
bool DestroyGlxContext(const void* handle);

// Makes the calling thread the context's owner; false when another thread has it current.
bool ClaimGlxContext(GlxContext* context);

// The calling thread stops owning the context (null allowed); a destroyed one is freed.
void ReleaseGlxContext(GlxContext* context);

}  // namespace mora::glx
