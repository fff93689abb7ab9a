// The link between tavrel processes on the same home folder: a local socket, <home>/instance.sock,
// served by the process that owns the home (home_lock.h). A second process started on that home
// finds the owner's windows through it (FindWindowW) and asks it to bring one forward
// (SetForegroundWindow). Both ends talk only to a process of their own user; windows travel as
// opaque ids, never as addresses; no client can hold the link for another.
#pragma once

#include <string>

// Serves the home's link until StopInstanceLink. False (with the reason on stderr) when the
// socket cannot be made; the program then runs without the link.
bool ServeInstanceLink(const std::string& home);
void StopInstanceLink();

// True when a process of this user serves the home's link and answers; then FindWindowW and
// SetForegroundWindow reach its windows through the remote-window hooks.
bool JoinInstanceLink(const std::string& home);
