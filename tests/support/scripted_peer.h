#pragma once
// A logger stand-in on the master side of a pty: it reads 8-byte frames and answers each as
// its script says. It records every frame it received.

#include "comm/frame.h"

#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class TScriptedPeer {
public:
    // Gets the frame and its 0-based number among the frames received; returns the bytes to
    // answer with (any length) or nothing to stay silent.
    using TScript = std::function<std::optional<std::vector<std::uint8_t>>(const TFrame&, int)>;

    TScriptedPeer(int masterFd, TScript script);
    ~TScriptedPeer();
    TScriptedPeer(const TScriptedPeer&) = delete;
    TScriptedPeer& operator=(const TScriptedPeer&) = delete;

    std::vector<TFrame> received() const;

    // A valid reply frame of 8 bytes with a correct check byte.
    static std::vector<std::uint8_t> reply(std::uint8_t b0, std::uint8_t b1 = 0,
                                           std::uint8_t b2 = 0, std::uint8_t b3 = 0,
                                           std::uint8_t b4 = 0, std::uint8_t b5 = 0,
                                           std::uint8_t b6 = 0);

private:
    void run();

    int FMaster;
    int FStopPipe[2] = {-1, -1};
    TScript FScript;
    mutable std::mutex FLock;
    std::vector<TFrame> FReceived;
    std::thread FThread;
};
