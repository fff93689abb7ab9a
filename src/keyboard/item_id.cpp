#include <keyboard/item_id.h>

#include <platform/text.h>
#include <settings/server_time.h>

void MakeRandomId(WCHAR (&out)[kItemIdCapacity]) {
    MakeRandomId(out, kItemIdLength);
}

bool IsItemId(LPCWSTR text) {
    if (text == nullptr) {
        return false;
    }
    int length = 0;
    for (; text[length] != 0; ++length) {
        if (text[length] == u'\\' || length == kItemIdLength) {
            return false;
        }
    }
    return length > 0;
}
