#include "api/gl_error.h"

#include <atomic>

namespace mora::api {
namespace {

// One GL state per process, so one flag; only the drawing thread reaches it.
constinit std::atomic<uint32_t> gErrorFlag{0};

}  // namespace

void RaiseGlError(uint32_t error) {
    uint32_t none = 0;
    gErrorFlag.compare_exchange_strong(none, error, std::memory_order_relaxed);
}

uint32_t TakeGlError() { return gErrorFlag.exchange(0, std::memory_order_relaxed); }

}  // namespace mora::api
