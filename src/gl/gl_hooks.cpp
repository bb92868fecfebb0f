#include "gl/gl_hooks.h"

namespace mora {

namespace {
constinit GlHooks gHooks;
}

GlHooks& TheGlHooks() { return gHooks; }

}  // namespace mora
