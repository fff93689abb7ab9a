// The device's Connection Manager: brings up a network route before a connection. On this
// platform the network is always there, so the calls succeed at once, unless a test asks them
// to fail (SetConnectionManagerFailure in the testing library).
#pragma once

#include <platform/types.h>

using HRESULT = LONG;

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

constexpr DWORD CONNMGR_PARAM_GUIDDESTNET = 0x1;
constexpr DWORD CONNMGR_PRIORITY_USERINTERACTIVE = 0x8000;

struct CONNMGR_CONNECTIONINFO {
    DWORD cbSize;
    DWORD dwParams;
    DWORD dwFlags;
    DWORD dwPriority;
    BOOL bExclusive;
    BOOL bDisabled;
    GUID guidDestNet;
    void* hWnd;
    UINT uMsg;
    LPARAM lParam;
    ULONG ulMaxCost;
    ULONG ulMinRcvBw;
    ULONG ulMaxConnLatency;
};

// Negative results are failures.
HRESULT ConnMgrMapURL(LPCWSTR url, GUID* network, DWORD* index);
HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* info, HANDLE* connection,
                                       DWORD timeout, DWORD* status);
HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG cache);
