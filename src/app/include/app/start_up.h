// The program's entry point and the single-instance rule.
#pragma once

#include <app/server_list_window.h>
#include <platform/types.h>

// True when no other instance runs; otherwise brings the other's window (titled with the
// product name) forward together with its owned pop-ups.
bool CheckSingleInstance(HINSTANCE instance);
// Start-up, the message loop and the orderly shutdown, with the server list opening servers
// through createViewer; returns the exit code.
int RunProgram(HINSTANCE instance, ViewerFactory createViewer);
