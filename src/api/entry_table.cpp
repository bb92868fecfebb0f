#include "api/entry_table.h"

namespace mora::detail {

constinit EntryTable gEntryTable = {{
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) {"gl" #Name},
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) {"wgl" #Name},
#include "api/entry_list.inc"
}};

}  // namespace mora::detail
