// Icons: an icon resource (RT_GROUP_ICON) holds its image as a DIB; the icon keeps it as a bitmap.
#include <platform_internal/gdi_objects.h>

#include <platform/resources.h>
#include <platform/window.h>

#include <mutex>
#include <unordered_set>

struct IconObject {
    HBITMAP bitmap = nullptr;
};

namespace {

std::mutex iconMutex;
std::unordered_set<IconObject*>& Icons() {
    static auto* icons = new std::unordered_set<IconObject*>;
    return *icons;
}

}  // namespace

HICON LoadIconW(HINSTANCE module, LPCWSTR name) {
    HRSRC resource = FindResourceW(module, name, RT_GROUP_ICON);
    auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    if (bytes == nullptr) {
        return nullptr;
    }
    HBITMAP bitmap = AddGdiObject(ParseDib(bytes, SizeofResource(module, resource), 0));
    if (bitmap == nullptr) {
        return nullptr;
    }
    auto* icon = new IconObject{bitmap};
    std::lock_guard lock(iconMutex);
    Icons().insert(icon);
    return icon;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    HBITMAP bitmap = nullptr;
    {
        std::lock_guard lock(iconMutex);
        if (Icons().count(icon) == 0) {
            return FALSE;
        }
        bitmap = icon->bitmap;
    }
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) == 0) {
        return FALSE;
    }
    HDC memory = CreateCompatibleDC(dc);
    SelectObject(memory, bitmap);
    BOOL done = BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    DeleteDC(memory);
    return done;
}

BOOL DestroyIcon(HICON icon) {
    std::lock_guard lock(iconMutex);
    if (Icons().erase(icon) == 0) {
        return FALSE;
    }
    DeleteObject(icon->bitmap);
    delete icon;
    return TRUE;
}
