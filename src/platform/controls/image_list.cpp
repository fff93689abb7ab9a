// Image lists: a size for their images and a handle that is checked on every use, so a destroyed
// or foreign handle fails instead of being followed.
#include <platform/commctrl.h>

#include <mutex>
#include <set>

struct ImageListObject {
    int width;
    int height;
};

namespace {

constexpr int kMaxSide = 0x7FFF;  // as large as a window can be
std::mutex mutex;
std::set<HIMAGELIST>& Live() {
    static std::set<HIMAGELIST> live;
    return live;
}

}  // namespace

HIMAGELIST ImageList_Create(int width, int height, UINT, int, int) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return nullptr;
    }
    auto* list = new ImageListObject{width, height};
    std::lock_guard lock(mutex);
    Live().insert(list);
    return list;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
    std::lock_guard lock(mutex);
    if (Live().erase(list) == 0) {
        return FALSE;
    }
    delete list;
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* width, int* height) {
    std::lock_guard lock(mutex);
    bool live = Live().count(list) != 0;
    if (width != nullptr) {
        *width = live ? list->width : 0;
    }
    if (height != nullptr) {
        *height = live ? list->height : 0;
    }
    return live ? TRUE : FALSE;
}
