// The keyboard state the platform keeps for TranslateMessage: Shift held, and the character the
// input panel typed with a key.
#pragma once

#include <platform/types.h>

// VK_PACKET: the key the input panel uses for a character that has no key of its own.
constexpr UINT kInputPanelKey = 0xE7;

void SetShiftDown(bool down);
// The next key-down of vk (low 8 bits) produces this character (0: back to the key's own).
void SetInputPanelCharacter(UINT vk, WCHAR character);
// The character a key-down of vk produces now, or 0.
WCHAR CharacterForKey(UINT vk);
