// What CreateProcessW was asked to start: "application|command line", oldest first.
#pragma once

#include <string>
#include <vector>

std::vector<std::u16string> StartedProcesses();
void ClearStartedProcesses();
