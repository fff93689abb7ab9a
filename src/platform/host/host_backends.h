// The two hosts and what they share.
#pragma once

#include <platform_internal/host_backend.h>

#include <memory>
#include <string>

struct HostOptions {
    int scale = 2;
};

// Asks every top-level window of the program (not the shell's) to close, as closing the
// desktop window or a termination signal does.
void CloseProgramWindows();
// Set by SIGINT / SIGTERM; the hosts turn it into CloseProgramWindows on the UI thread.
bool TakeTerminationRequest();
void InstallTerminationHandlers();

std::unique_ptr<HostBackend> MakeHeadlessHost();
// Null (with a message on stderr) when SDL cannot open a window.
std::unique_ptr<HostBackend> MakeSdlHost(const HostOptions& options);
// A message box on the desktop itself (no device screen needed); waits until it is dismissed.
void ShowDesktopMessage(const std::string& title, const std::string& text);
