#include <platform/resources.h>
#include <resources/resources.h>

namespace {

HINSTANCE moduleInstance = nullptr;

}  // namespace

HINSTANCE ModuleInstance() {
    return moduleInstance;
}

void InstallResources(HINSTANCE module) {
    moduleInstance = module;
    InstallStringTable(module);
    InstallMenus(module);
    InstallDialogs(module);
    AddResource(module, RT_BITMAP, IDB_THUMBNAIL_PLACEHOLDER, BuildPlaceholderBitmap());
    AddResource(module, RT_GROUP_ICON, IDI_APP_ICON, BuildAppIcon());
    AddResource(module, RT_BITMAP, IDB_ZOOM_HANDLE_HORZ_32, BuildHandleBitmap(8, 32));
    AddResource(module, RT_BITMAP, IDB_ZOOM_HANDLE_HORZ, BuildHandleBitmap(16, 64));
    AddResource(module, RT_BITMAP, IDB_ZOOM_HANDLE_VERT_32, BuildHandleBitmap(32, 8));
    AddResource(module, RT_BITMAP, IDB_ZOOM_HANDLE_VERT, BuildHandleBitmap(64, 16));
    AddResource(module, RT_BITMAP, IDB_KEY_HANDLE_HORZ_32, BuildHandleBitmap(8, 32));
    AddResource(module, RT_BITMAP, IDB_KEY_HANDLE_HORZ, BuildHandleBitmap(16, 64));
    AddResource(module, RT_BITMAP, IDB_KEY_HANDLE_VERT_32, BuildHandleBitmap(32, 8));
    AddResource(module, RT_BITMAP, IDB_KEY_HANDLE_VERT, BuildHandleBitmap(64, 16));
}
