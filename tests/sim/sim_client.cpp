#include "sim/sim_client.h"

#include <fcntl.h>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

TSimClient::TSimClient(TSimLogger& device, int tries)
    : TSimClient([&device](const TFrame& f, bool) { return device.onFrame(f); },
                 device.relayCommand(), device.relaySelector(), tries) {}

TSimClient::TSimClient(TTransport transport, std::uint8_t relayCommand, std::uint8_t relaySelector,
                       int tries)
    : FTransport(std::move(transport)), FRelayCommand(relayCommand), FRelaySelector(relaySelector),
      FTries(tries) {}

std::optional<TFrame> TSimClient::frame(std::uint8_t cmd, std::uint8_t p1, std::uint8_t p2,
                                        std::uint8_t p3, std::uint8_t p4, std::uint8_t p5,
                                        std::uint8_t p6) {
    const TFrame request = buildCommandFrame(cmd, p1, p2, p3, p4, p5, p6);
    std::optional<TFrame> reply;
    for (int i = 0; i < FTries; ++i) {
        reply = FTransport(request, true);
        if (reply && checkReply(reply->data(), reply->size()) != TReplyCheck::NoValidReply) {
            return reply;
        }
    }
    return std::nullopt;
}

std::optional<TFrame> TSimClient::relay(std::uint8_t sub, std::uint8_t d1, std::uint8_t d2,
                                        std::uint8_t d3, std::uint8_t d4) {
    return frame(FRelayCommand, FRelaySelector, sub, d1, d2, d3, d4);
}

std::optional<std::array<std::uint8_t, 4>>
TSimClient::writeGroup(std::uint8_t n, std::array<std::uint8_t, 4> bytes) {
    const auto reply =
        relay(static_cast<std::uint8_t>(0x80 + n), bytes[0], bytes[1], bytes[2], bytes[3]);
    if (!reply) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> old{};
    for (std::size_t i = 0; i < 4; ++i) {
        old[i] = static_cast<std::uint8_t>(~(*reply)[3 + i]);
    }
    return old;
}

int TSimClient::send(std::uint8_t count) {
    const auto reply = relay(0x0B, 0, 0, 0, count);
    return reply ? (*reply)[1] : -1;
}

int TSimClient::receive(std::uint8_t count) {
    const auto reply = relay(0x0A, 0, 0, 0, count);
    return reply ? (*reply)[1] : -1;
}

int TSimClient::sdCommand(std::uint8_t code) {
    writeGroup(0, {0x01, 0x00, 0x00, 0x05});
    writeGroup(1, {code, 0x00, 0x00, 0x00});
    return send(5);
}

void TSimClient::writeRecord(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t n = 0; n * 4 < bytes.size(); ++n) {
        std::array<std::uint8_t, 4> group{};
        for (std::size_t i = 0; i < 4 && n * 4 + i < bytes.size(); ++i) {
            group[i] = bytes[n * 4 + i];
        }
        writeGroup(static_cast<std::uint8_t>(n), group);
    }
}

std::vector<std::uint8_t> TSimClient::readRecord(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n * 4 < count; ++n) {
        const auto group = readGroup(static_cast<std::uint8_t>(n));
        for (std::size_t i = 0; i < 4; ++i) {
            bytes.push_back(group ? (*group)[i] : 0);
        }
    }
    bytes.resize(count);
    return bytes;
}

void TSimClient::openController() {
    relay(1);
    relay(3);
    relay(2);
}

void TSimClient::finalFrame() {
    FTransport(FRelayCommand == 2 ? buildCommandFrame(2, 0x80, 0x00, 0x22, 0x11, 0x00, 0x00)
                                  : buildCommandFrame(5, 0x02, 0x00, 0xA5, 0x5A, 0x00, 0x00),
               false);
}

std::string dataLine(std::uint16_t address, const std::vector<std::uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                    static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address), 0x00};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = ":";
    for (const std::uint8_t b : bytes) {
        sum += b;
        line += kDigits[b >> 4];
        line += kDigits[b & 15];
    }
    const auto check = static_cast<std::uint8_t>(-sum);
    line += kDigits[check >> 4];
    line += kDigits[check & 15];
    return line;
}

std::vector<std::string> syntheticImage(std::uint16_t start, int run, unsigned seed) {
    std::mt19937 random(seed);
    auto line = [&](std::uint16_t address) {
        std::vector<std::uint8_t> data(64);
        for (auto& b : data) {
            b = static_cast<std::uint8_t>(random());
        }
        return dataLine(address, data);
    };
    std::vector<std::string> lines;
    for (int i = 0; i < run; ++i) {
        lines.push_back(line(static_cast<std::uint16_t>(start + 64 * i)));
    }
    lines.push_back(line(0xF600));
    lines.push_back(line(0xF7C0));
    return lines;
}

std::vector<std::uint8_t> recordOf(const std::string& line) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

TMiniUpdateResult runMiniUpdate(TSimLogger& device, const std::vector<std::string>& lines) {
    TSimClient client(device, 5);
    return runMiniUpdate(client, lines);
}

TMiniUpdateResult runMiniUpdate(TSimClient& client, const std::vector<std::string>& lines) {
    TMiniUpdateResult result;
    auto failed = [&](std::string why) {
        result.failure = std::move(why);
        return result;
    };
    const auto id = client.ident();
    if (!id || (*id)[0] != 0x01) {
        return failed("identification");
    }
    const auto probe = client.relay(0);
    if (!probe || ((*probe)[0] & 0xE0) != 0) {
        return failed("probe");
    }
    client.openController();
    if (client.sdCommand(0x20) != 0 || client.receive(10) != 0) {
        return failed("information request");
    }
    const auto answer = client.readRecord(12);
    if (answer[0] != 0x06 || answer[1] != 0 || answer[2] != 0 || answer[3] != 0x05) {
        return failed("answer record");
    }
    if (client.sdCommand(0x31) != 0) {
        return failed("begin");
    }
    for (const std::string& line : lines) {
        const std::vector<std::uint8_t> record = recordOf(line);
        const std::vector<std::uint8_t> sent(record.begin(), record.end() - 1);
        bool done = false;
        for (int attempt = 0; attempt < 5 && !done; ++attempt) {
            result.lineRetries += attempt > 0;
            client.writeRecord(sent);
            if (client.send(static_cast<std::uint8_t>(sent.size())) != 0) {
                continue;
            }
            int status = -1;
            for (int poll = 0; poll < 5 && status != 0; ++poll) {
                status = client.receive(static_cast<std::uint8_t>(sent.size()));
            }
            if (status != 0) {
                continue;
            }
            done = client.readRecord(sent.size()) == sent;
        }
        if (!done) {
            return failed("line " + line.substr(3, 4));
        }
    }
    bool ended = false;
    for (int attempt = 0; attempt < 5 && !ended; ++attempt) {
        ended = client.sdCommand(0x32) == 0;
    }
    if (!ended) {
        return failed("end");
    }
    client.relay(1);
    client.finalFrame();
    result.ok = true;
    return result;
}

TSlavePort::TSlavePort(const std::string& path) {
    FFd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FFd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    termios raw{};
    tcgetattr(FFd, &raw);
    cfmakeraw(&raw);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(FFd, TCSANOW, &raw);
}

TSlavePort::~TSlavePort() {
    close(FFd);
}

std::optional<TFrame> TSlavePort::exchange(const TFrame& frame, std::chrono::milliseconds timeout) {
    tcflush(FFd, TCIOFLUSH);
    if (write(FFd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
        return std::nullopt;
    }
    if (timeout.count() == 0) {
        tcdrain(FFd);
        return std::nullopt;
    }
    TFrame reply{};
    std::size_t have = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (have < reply.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd pfd{FFd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t n = read(FFd, reply.data() + have, reply.size() - have);
        if (n <= 0) {
            return std::nullopt; // hung up
        }
        have += static_cast<std::size_t>(n);
    }
    return reply;
}

TSimClient::TTransport TSlavePort::transport(std::chrono::milliseconds timeout) {
    return [this, timeout](const TFrame& f, bool awaitReply) {
        return exchange(f, awaitReply ? timeout : std::chrono::milliseconds(0));
    };
}
