// Held-back thread starts on Windows (see RunHeldBackThreads in platform/thread.h): DllMain holds
// starts back around the attach sequence, when the loader lock is held.
#pragma once

namespace mora::platform {

// While set, StartThread only remembers the threads it is asked for; RunHeldBackThreads creates them.
void HoldBackThreadStarts(bool hold);

}  // namespace mora::platform
