#pragma once

#include "cmp/cmp_tree_dialog.h"

namespace svcmp {

// The result window (template 8001): runs the assembly while it initialises,
// shows the written tree collapsed, and releases it however it is closed.
// A refused update shows nothing. If the window cannot be created the
// assembly still runs, so the export is not lost.
void RunResultWindow(CmpTreeDialog& dialog);

}  // namespace svcmp
