// Input from the host (or the test harness) as the device's stylus, input panel and hardware keys.
// Call on the UI thread.
#pragma once

#include <platform/window.h>

enum class StylusAction { Down, Move, Up };

// Posts WM_LBUTTONDOWN / WM_MOUSEMOVE / WM_LBUTTONUP to the capturing window or the window under
// the stylus, in its client coordinates; a tap on another top-level window activates it first.
void DeliverStylus(StylusAction action, POINT screen);
// True between the stylus's down and its up.
bool StylusIsDown();
// The stylus was held still: WM_CONTEXTMENU to the window under it (screen position in lParam).
void DeliverStylusHold(POINT screen);
// A hardware key (or a key of the input panel that has a virtual key), to the focus window.
void DeliverKey(UINT vk, bool down, bool alt);
// The user asked for help (the shell's Help command): WM_HELP with a HELPINFO naming the focus
// window goes to it, or to the foreground window when the focus lies elsewhere; default
// processing passes it on to the parent or owner until a window answers it.
void DeliverHelpRequest();
// A character typed on the input panel: key down and up of its key, producing that character
// (the key-down carries it in the high word of lParam).
void DeliverCharacter(WCHAR character, bool alt);
