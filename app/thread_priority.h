// Best-effort scheduling priorities for the shell's threads (failures are ignored: raising a
// priority usually needs privileges the program does not have).
#pragma once

#include <cstdint>

// The calling thread's kernel id.
std::uint32_t CurrentThreadId();
// High: the process's priority is raised; otherwise it is left as it is.
void SetProcessPriority(bool high);
// Gives thread (a kernel id) one step more than the process's priority.
void RaiseThreadPriority(std::uint32_t thread);
