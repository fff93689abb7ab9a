// Threads, handles, critical sections, time, debug output and the runtime's random numbers.
#pragma once

#include <platform/types.h>

#include <cstdlib>  // rand and srand: the platform gives them the device runtime's 15-bit range

// ---- handles and threads ----
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, std::size_t stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
BOOL CloseHandle(HANDLE handle);
void Sleep(DWORD milliseconds);
DWORD GetLastError();
void SetLastError(DWORD error);
DWORD GetTickCount();

// ---- critical sections (recursive, as on the device) ----
struct CRITICAL_SECTION {
    void* impl = nullptr;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// ---- time ----
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

void GetSystemTime(SYSTEMTIME* time);
// FALSE for a date that is not a valid Gregorian date from 1601 on.
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);

// ---- debug output: to stderr when TAVREL_DEBUG is set ----
void OutputDebugStringW(LPCWSTR text);
