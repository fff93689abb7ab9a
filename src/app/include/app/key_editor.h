// The "Edit Key" dialog: a defined key's label, latch flag, and either its keysym or the macros
// it plays on press and release. It edits the key it is given and saves nothing itself.
#pragma once

#include <keyboard/key_def.h>

class KeyEditor {
  public:
    // True when the user left with "Done" (the key then holds the edits). When an editor is open
    // on this key already, that one comes forward and the result is false.
    static bool Edit(KeyDef& key, HWND parent);
};
