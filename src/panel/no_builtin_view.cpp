// Where the panel view is a module loaded at run time (the GTK view), no view is built in.
#include "panel/panel_view.h"

namespace mora {

PanelViewRun BuiltInPanelView() { return nullptr; }

}  // namespace mora
