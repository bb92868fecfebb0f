#include "gl/gl_context.h"

namespace mora::detail {

constinit GlContext gGlContext;

}  // namespace mora::detail
