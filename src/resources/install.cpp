#include <platform/resources.h>
#include <resources/resources.h>

void InstallResources(HINSTANCE module) {
    InstallStringTable(module);
    InstallMenus(module);
    InstallDialogs(module);
    AddResource(module, RT_BITMAP, IDB_THUMBNAIL_PLACEHOLDER, BuildPlaceholderBitmap());
    AddResource(module, RT_GROUP_ICON, IDI_APP_ICON, BuildAppIcon());
}
