#include "support/scripted_peer.h"

#include <poll.h>
#include <stdexcept>
#include <unistd.h>

TScriptedPeer::TScriptedPeer(int masterFd, TScript script)
    : FMaster(masterFd), FScript(std::move(script)) {
    if (pipe(FStopPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    FThread = std::thread([this] { run(); });
}

TScriptedPeer::~TScriptedPeer() {
    const char stop = 1;
    (void)!write(FStopPipe[1], &stop, 1);
    FThread.join();
    close(FStopPipe[0]);
    close(FStopPipe[1]);
}

std::vector<TFrame> TScriptedPeer::received() const {
    std::lock_guard guard(FLock);
    return FReceived;
}

std::vector<std::uint8_t> TScriptedPeer::reply(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                               std::uint8_t b3, std::uint8_t b4, std::uint8_t b5,
                                               std::uint8_t b6) {
    std::vector<std::uint8_t> frame{b0, b1, b2, b3, b4, b5, b6, 0};
    frame[7] = calculateCRC8(frame.data(), 7);
    return frame;
}

void TScriptedPeer::run() {
    TFrame frame{};
    std::size_t have = 0;
    int count = 0;
    for (;;) {
        pollfd fds[2] = {{FMaster, POLLIN, 0}, {FStopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents) {
            return;
        }
        if (!(fds[0].revents & POLLIN)) {
            // The slave side is closed for a moment (between two opens): wait for the next.
            poll(&fds[1], 1, 5);
            continue;
        }
        const ssize_t n = read(FMaster, frame.data() + have, frame.size() - have);
        if (n <= 0) {
            continue;
        }
        have += static_cast<std::size_t>(n);
        if (have < frame.size()) {
            continue;
        }
        have = 0;
        {
            std::lock_guard guard(FLock);
            FReceived.push_back(frame);
        }
        if (const auto answer = FScript(frame, count++)) {
            (void)!write(FMaster, answer->data(), answer->size());
        }
    }
}
