// Step failure lines.
#include "present/present_trace.h"

#include <cstdio>

#include "diag/trace.h"

namespace mora {

void TracePresentStep(const char* context, const PresentFailure& failure) {
    char message[128];
    std::snprintf(message, sizeof(message), "(step=%s, hr=0x%08X)", failure.step != nullptr ? failure.step : "",
                  failure.code);
    TraceLine(context, "%s", message);
}

}  // namespace mora
