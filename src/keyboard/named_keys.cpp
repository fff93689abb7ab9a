#include <keyboard/named_keys.h>

#include <platform/dialog.h>
#include <platform/text.h>

const NamedKey NamedKeys[kNamedKeyCount] = {
    {0xFF09, u"Tab"},
    {0xFF0D, u"Return"},
    {0xFF08, u"Backspace"},
    {0xFFFF, u"Delete"},
    {0xFF1B, u"Escape"},
    {0xFF63, u"Insert"},
    {0xFF50, u"Home"},
    {0xFF57, u"End"},
    {0xFF55, u"Page Up"},
    {0xFF56, u"Page Down"},
    {0xFF51, u"Left"},
    {0xFF52, u"Up"},
    {0xFF53, u"Right"},
    {0xFF54, u"Down"},
    {0xFFBE, u"F1"},
    {0xFFBF, u"F2"},
    {0xFFC0, u"F3"},
    {0xFFC1, u"F4"},
    {0xFFC2, u"F5"},
    {0xFFC3, u"F6"},
    {0xFFC4, u"F7"},
    {0xFFC5, u"F8"},
    {0xFFC6, u"F9"},
    {0xFFC7, u"F10"},
    {0xFFC8, u"F11"},
    {0xFFC9, u"F12"},
    {0xFFE1, u"Shift (Left)"},
    {0xFFE2, u"Shift (Right)"},
    {0xFFE3, u"Control (Left)"},
    {0xFFE4, u"Control (Right)"},
    {0xFFE7, u"Meta (Left)"},
    {0xFFE8, u"Meta (Right)"},
    {0xFFE9, u"Alt (Left)"},
    {0xFFEA, u"Alt (Right)"},
};

int FindNamedKey(Keysym keysym) {
    for (int i = 0; i < kNamedKeyCount; ++i) {
        if (NamedKeys[i].keysym == keysym) {
            return i;
        }
    }
    return -1;
}

int FormatKeyName(Keysym keysym, WCHAR* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1) {
        return 0;
    }
    int index = FindNamedKey(keysym);
    if (index >= 0) {
        return FormatW(buffer, static_cast<std::size_t>(capacity), u"(%s)", NamedKeys[index].name);
    }
    WCHAR character = towupper(static_cast<WCHAR>(keysym));
    int length = character != 0 && capacity > 1 ? 1 : 0;
    buffer[0] = character;
    buffer[length] = 0;
    return length;
}

void FillNamedKeyCombo(HWND combo) {
    WCHAR name[kKeyNameCapacity];
    for (const NamedKey& key : NamedKeys) {
        FormatKeyName(static_cast<Keysym>(key.keysym), name, kKeyNameCapacity);
        LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (item >= 0) {
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item),
                         static_cast<LPARAM>(key.keysym));
        }
    }
}
