#include "cli/frame_trace.h"

namespace {

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string partial(std::size_t count) {
    return count < kFrameSize
               ? "  (" + std::to_string(count) + " of " + std::to_string(kFrameSize) + " bytes)"
               : std::string();
}

} // namespace

TFrameTrace::TFrameTrace(std::FILE* out, bool owned)
    : FOut(out), FOwned(owned), FStart(std::chrono::steady_clock::now()) {}

TFrameTrace::~TFrameTrace() {
    if (FOwned) {
        std::fclose(FOut);
    }
}

void TFrameTrace::frameSent(const TFrame& frame, std::size_t written, int tryNumber,
                            bool awaitReply) {
    std::string line =
        "TX " + hexBytes(frame.data(), frame.size()) + "  try " + std::to_string(tryNumber);
    if (written < frame.size()) {
        line += "  short write" + partial(written);
    } else if (!awaitReply) {
        line += "  not awaited";
    }
    writeLine(line);
}

void TFrameTrace::replyReceived(const std::uint8_t* bytes, std::size_t count, int tryNumber,
                                const char* verdict) {
    const std::string data = count == 0 ? std::string("--") : hexBytes(bytes, count);
    writeLine("RX " + data + partial(count) + "  try " + std::to_string(tryNumber) + "  " +
              verdict);
}

void TFrameTrace::portFailed(const TPortFault& fault) {
    writeLine("port " + fault.call + " failed: " + portFaultKindName(fault.kind) + " (" +
              fault.osMessage + ")");
}

void TFrameTrace::event(const std::string& text) {
    writeLine(text);
}

void TFrameTrace::writeLine(const std::string& text) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - FStart)
            .count();
    std::lock_guard guard(FLock);
    // A trace that cannot be written must not disturb the update: errors are not looked at.
    std::fprintf(FOut, "%10.1f %s\n", ms, text.c_str());
    std::fflush(FOut);
}
