// Starting another program of the device. The only one there is the help viewer "peghelp.exe":
// with a command line "file:NAME#Topic" it shows NAME (a file next to the program) at the anchor
// Topic, through the desktop's browser under the sdl host; the headless host only records it.
#pragma once

#include <platform/core.h>

struct STARTUPINFOW;
struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// Returns FALSE for a program the device does not have. The process is not waited for; the
// handles returned are null (nothing to close).
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR currentDirectory,
                    STARTUPINFOW* startup, PROCESS_INFORMATION* information);
