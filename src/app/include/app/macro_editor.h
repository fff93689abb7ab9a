// The "Edit Macro" dialog: a macro's name and its steps, a two-column list ("Character", "Mode")
// whose selected row is edited in place through two drop-downs laid over it. Steps live in the
// rows while it runs and go back into the macro on "Done"; it saves nothing itself.
#pragma once

#include <keyboard/macro.h>

class MacroEditor {
  public:
    // True when the user left with "Done" (the macro then holds the edits). When an editor is
    // open on this macro already, that one comes forward and the result is false.
    static bool Edit(Macro& macro, HWND parent);
    // Steps held by the rows of open editors (each row owns a copy until "Done" collects it).
    static int LiveRowSteps();
};
