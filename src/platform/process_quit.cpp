#include "platform/process_quit.h"

#include <cstdlib>

namespace mora::platform {

void QuitProcessNormally() { std::exit(0); }

}  // namespace mora::platform
