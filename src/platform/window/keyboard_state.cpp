#include <platform_internal/keyboard_state.h>

#include <platform/window.h>

#include <array>
#include <atomic>
#include <mutex>

namespace {

std::mutex stateMutex;
std::array<WCHAR, 256> panelCharacters{};
bool shiftDown = false;

}  // namespace

void SetShiftDown(bool down) {
    std::lock_guard lock(stateMutex);
    shiftDown = down;
}

void SetInputPanelCharacter(UINT vk, WCHAR character) {
    std::lock_guard lock(stateMutex);
    panelCharacters[vk & 0xFF] = character;
}

WCHAR CharacterForKey(UINT vk) {
    std::lock_guard lock(stateMutex);
    vk &= 0xFF;
    if (panelCharacters[vk] != 0) {
        return panelCharacters[vk];
    }
    if (vk >= 'A' && vk <= 'Z') {
        return static_cast<WCHAR>(shiftDown ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9' && !shiftDown) {
        return static_cast<WCHAR>(vk);
    }
    switch (vk) {
        case VK_BACK:
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_SPACE:
            return static_cast<WCHAR>(vk);
        default:
            return 0;
    }
}
