// Library-load start-up and unload of the process-wide render job queue: picks
// the worker count (MORA_THREADS), creates the queue and writes the thread-pool
// status line. Called by the library load/unload sequence.
#pragma once

#include <string>

namespace mora::rjq {

// Starts the process-wide queue with kDefaultCapacity slots (once; later calls
// return whether it runs). On failure no queue exists, the status line keeps
// the chosen-count text, and all work runs on the calling thread.
bool StartRenderJobQueue();

// Stops and joins the workers and clears the process-wide queue. On Linux a
// library can be unloaded while the process goes on, so the workers must not
// outlive the code they run (on Windows the pointer is only dropped at detach).
void StopRenderJobQueue();

// Current thread-pool status line (the ThreadPool line of diag/status_lines.h).
std::string ThreadPoolStatus();

}  // namespace mora::rjq
