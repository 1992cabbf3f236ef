#include "platform/Process.h"

#include <unistd.h>
#include <cstdio>

void ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    _exit(static_cast<int>(exitCode));
}
