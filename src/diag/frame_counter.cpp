// Storage of the global frame counter.
#include "diag/frame_counter.h"

namespace mora::detail {
constinit std::atomic<int32_t> gFrameCounter{0};
}
