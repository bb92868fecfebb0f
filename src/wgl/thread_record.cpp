#include "wgl/thread_record.h"

namespace mora::detail {

constinit thread_local ThreadRecord tThreadRecord [[gnu::tls_model("initial-exec")]];

}  // namespace mora::detail
