// One frame exchange through sendCmd against a peer that answers at once, against a bare
// write and read of 8 bytes on the same pseudo-terminal: the cost of the exchange's own work
// (clear errors, purge, check byte) over the line's.
#include "comm/serial_port.h"
#include "comm/uCommThread.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

class TBenchWorker : public TCommThread {
public:
    explicit TBenchWorker(const std::string& port) : TCommThread(kNoWindow, TCmd::tCMD_TEST, port) {
        FhPort = openComPort(port, kLoggerBaudRate);
        if (FhPort == kInvalidPortHandle) {
            throw std::runtime_error("cannot open " + port);
        }
    }
};

struct TAnsweringLine {
    TPtyPair pty;
    TScriptedPeer peer{pty.master(), [](const TFrame& f, int) {
                           return std::optional(TScriptedPeer::reply(f[0] & 0x7F, 0, 0x66, 0x01));
                       }};
};

void BM_SendCmd(benchmark::State& state) {
    TAnsweringLine line;
    TBenchWorker worker(line.pty.slavePath());
    for (auto _ : state) {
        worker.sendCmd(true, 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendCmd)->UseRealTime()->MinTime(2.0);

void BM_RawExchange(benchmark::State& state) {
    TAnsweringLine line;
    const TPortHandle port = openComPort(line.pty.slavePath(), kLoggerBaudRate);
    const TFrame frame = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    TFrame reply{};
    for (auto _ : state) {
        std::size_t n = 0;
        writePort(port, frame.data(), frame.size(), n);
        readPort(port, reply.data(), reply.size(), n);
        if (n != reply.size()) {
            state.SkipWithError("short reply");
            break;
        }
    }
    closeComPort(port);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawExchange)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
