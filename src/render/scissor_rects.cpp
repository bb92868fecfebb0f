#include "render/scissor_rects.h"

#include <algorithm>

namespace mora {

ScissorRect WindowScissorRect(const ScissorBox& box, int32_t width, int32_t height) {
    // GL row y is window row height - 1 - y.
    ScissorRect r;
    r.x0 = std::clamp(box.x0, 0, width);
    r.x1 = std::clamp(box.x1, r.x0, width);
    r.y0 = std::clamp(height - box.y1, 0, height);
    r.y1 = std::clamp(height - box.y0, r.y0, height);
    return r;
}

void BuildScissorRects(const std::vector<ScissorBox>& boxes, int32_t width, int32_t height,
                       std::vector<ScissorRect>& out) {
    out.clear();
    for (const ScissorBox& box : boxes) out.push_back(WindowScissorRect(box, width, height));
}

}  // namespace mora
