// How the process is asked to end once an environment-started capture or trace is written: with
// status 0 through the normal exit path (library unload still runs). Windows posts a quit message
// to the calling thread's queue, so the game leaves its own message loop; systems without such a
// queue exit.
#pragma once

namespace mora::platform {

void QuitProcessNormally();

}  // namespace mora::platform
