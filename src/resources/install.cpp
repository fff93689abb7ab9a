#include <platform/resources.h>
#include <resources/resources.h>

void InstallResources(HINSTANCE module) {
    InstallStringTable(module);
    AddResource(module, RT_BITMAP, IDB_THUMBNAIL_PLACEHOLDER, BuildPlaceholderBitmap());
}
