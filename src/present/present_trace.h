// Trace lines of the presentation code: failed steps and runtime failures, written under the
// qualified names of the DxgiPresent operations. They reach a file only while a trace covers the
// current frame.
#pragma once

#include "present/present_target.h"

namespace mora {

inline constexpr char kInitContext[] = "MORA::DxgiPresent::Init";
inline constexpr char kBeginFrameContext[] = "MORA::DxgiPresent::BeginFrame";
inline constexpr char kPresentContext[] = "MORA::DxgiPresent::PresentSwapChain";

// "(step=%s, hr=0x%08X)" formatted into 128 bytes (longer text is cut) under `context`.
void TracePresentStep(const char* context, const PresentFailure& failure);

}  // namespace mora
