#include <platform/connmgr.h>
#include <platform/core.h>
#include <platform_internal/test_hooks.h>
#include <platform_internal/handles.h>

#include <atomic>

namespace {

constexpr HRESULT kFailure = static_cast<HRESULT>(0x80004005);  // E_FAIL
std::atomic<bool> failing{false};

class ConnectionObject : public KernelObject {};

}  // namespace

void SetConnectionManagerFailing(bool fail) {
    failing = fail;
}

HRESULT ConnMgrMapURL(LPCWSTR url, GUID* network, DWORD* index) {
    if (failing || url == nullptr) {
        return kFailure;
    }
    if (network != nullptr) {
        *network =
            GUID{0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
    }
    if (index != nullptr) {
        *index = 0;
    }
    return 0;
}

HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* info, HANDLE* connection, DWORD,
                                       DWORD* status) {
    if (failing || info == nullptr || connection == nullptr) {
        return kFailure;
    }
    *connection = RegisterHandle(std::make_shared<ConnectionObject>());
    if (status != nullptr) {
        *status = 0x10;  // CONNMGR_STATUS_CONNECTED
    }
    return 0;
}

HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG) {
    if (connection == nullptr || LookupHandleAs<ConnectionObject>(connection) == nullptr) {
        return kFailure;
    }
    CloseHandle(connection);
    return 0;
}
