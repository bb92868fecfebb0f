#include "gl/gl_context.h"

namespace mora::detail {

// Never destroyed: programs call GL from their static destructors.
constinit platform::NeverDestroyed<GlContext> gGlContext;

}  // namespace mora::detail
