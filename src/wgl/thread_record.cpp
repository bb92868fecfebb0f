#include "wgl/thread_record.h"

namespace mora::detail {

constinit thread_local ThreadRecord tThreadRecord;

}  // namespace mora::detail
