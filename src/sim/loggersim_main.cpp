// loggersim: a simulated logger with its SD card module on a pseudo-terminal.

#include "sim/loggersim_args.h"
#include "sim/sim_server.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

bool writeFlash(const TSimServer& server, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& record : server.flashHexRecords()) {
        out << record << "\n";
    }
    out << ":00000001FF\n";
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    TLoggerSimArgs args;
    std::string error;
    if (!parseLoggerSimArgs(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::cerr << "loggersim: " << error << "\n" << loggerSimUsage();
        return 2;
    }
    if (args.help) {
        std::cout << loggerSimUsage();
        return 0;
    }
    if (args.version) {
        std::cout << "loggersim " << SDU_VERSION << "\n";
        return 0;
    }

    // The signals are taken by sigwait below; every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        TSimServer server(args.options, args.linkPath);
        std::cout << server.slavePath() << std::endl;
        for (const TSimFault& fault : args.options.faults) {
            std::cerr << "loggersim: fault " << describeFault(fault) << "\n";
        }

        // A hang-up of the line ends the program as a signal would.
        std::thread watcher([&server] {
            server.waitForEnd();
            if (server.hungUp()) {
                kill(getpid(), SIGTERM);
            }
        });
        int received = 0;
        sigwait(&signals, &received);
        server.stop();
        watcher.join();

        const TSimCounters counters = server.counters();
        std::cerr << "loggersim: " << counters.frames << " frames, " << counters.linesProgrammed
                  << " lines programmed" << (server.restarted() ? ", module restarted" : "")
                  << (server.hungUp() ? ", line hung up" : "") << "\n";
        if (!args.flashOut.empty() && !writeFlash(server, args.flashOut)) {
            std::cerr << "loggersim: cannot write " << args.flashOut << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "loggersim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
