#include "entry/entry_table.h"

namespace mora::detail {

constinit EntryTable gEntryTable = {{
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) {"gl" #Name, {static_cast<uint16_t>(EntryId::gl##Name)}},
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) {"wgl" #Name, {static_cast<uint16_t>(EntryId::wgl##Name)}},
#include "entry/entry_list.inc"
}};

}  // namespace mora::detail
