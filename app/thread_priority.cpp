#include "app/thread_priority.h"

#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(gettid()); }

void SetProcessPriority(bool high) {
    // On Linux the nice value belongs to the calling thread; threads created afterwards inherit it.
    if (high) (void)setpriority(PRIO_PROCESS, 0, -10);
}

void RaiseThreadPriority(std::uint32_t thread) {
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, 0);
    if (current == -1 && errno != 0) return;
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(thread), current - 1);
}
