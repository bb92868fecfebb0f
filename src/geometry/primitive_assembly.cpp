#include "geometry/primitive_assembly.h"

namespace mora {

uint32_t PrimitiveTriangleCount(uint32_t mode, uint32_t n) {
    switch (mode) {
        case gle::kTriangles: return n / 3;
        case gle::kTriangleStrip:
        case gle::kTriangleFan:
        case gle::kPolygon: return n >= 3 ? n - 2 : 0;
        case gle::kQuads: return 2 * (n / 4);
        case gle::kQuadStrip: return n >= 4 ? 2 * ((n - 2) / 2) : 0;
        default: return 0;
    }
}

}  // namespace mora
