// Opens the help file at a topic ("Servers", "AddServer", "Client", "KeyEditor", "Macro").
#pragma once

#include <platform/types.h>

// No topic: nothing happens. The result of starting the help viewer is not checked.
void ShowHelp(LPCWSTR topic);
