// The link between tavrel processes on the same home folder: a local socket, named after the home
// folder, served by the first process. Another process finds that process's windows through it
// (FindWindowW) and asks it to bring one forward (SetForegroundWindow).
#pragma once

#include <string>

// Serves the home folder's link (when no other process does) and installs the remote-window hooks.
// Returns false when another process already serves it.
bool StartInstanceLink(const std::string& home);
void StopInstanceLink();
