#include "support/pty_pair.h"

#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

TPtyPair::TPtyPair() {
    char name[PATH_MAX] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&FMaster, &FSlaveKeeper, name, &raw, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    fcntl(FMaster, F_SETFD, FD_CLOEXEC);
    fcntl(FSlaveKeeper, F_SETFD, FD_CLOEXEC);
    FSlavePath = name;
}

TPtyPair::~TPtyPair() {
    close(FSlaveKeeper);
    close(FMaster);
}
