// sdu-null-modem: pairs of pseudo-terminals joined back to back, as a null-modem cable joins two
// serial ports: what the program on one side writes, the program on the other side reads. The
// Windows build's tests map a pair of wine COM ports to each pair (scripts/test-windows).
//   sdu-null-modem N    makes N pairs, prints each pair's two terminals ("/dev/pts/4 /dev/pts/5")
//                       as a line on stdout, then carries bytes until it is terminated
// Each side keeps a descriptor of its own terminal, so a program may close and re-open its port
// without the line hanging up.
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct TSide {
    int master = -1;
    int keeper = -1; // the terminal's own descriptor, never read
};

TSide openSide(char* name) {
    TSide side;
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&side.master, &side.keeper, name, &raw, nullptr) != 0) {
        std::perror("sdu-null-modem: openpty");
        std::exit(1);
    }
    fcntl(side.master, F_SETFL, fcntl(side.master, F_GETFL) | O_NONBLOCK);
    return side;
}

// Hands what arrived from one side to the other; a full buffer on the far side drops the rest,
// as a line without flow control does.
void carry(int from, int to) {
    std::array<unsigned char, 4096> buffer{};
    for (;;) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = write(to, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                break;
            }
            done += w;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const int pairs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (pairs <= 0 || pairs > 64) {
        std::fprintf(stderr, "usage: sdu-null-modem N   (1 to 64 pairs)\n");
        return 2;
    }
    std::vector<TSide> sides;
    for (int i = 0; i < pairs; ++i) {
        char left[PATH_MAX] = {};
        char right[PATH_MAX] = {};
        sides.push_back(openSide(left));
        sides.push_back(openSide(right));
        std::printf("%s %s\n", left, right);
    }
    std::fflush(stdout);
    std::vector<pollfd> fds;
    for (const TSide& side : sides) {
        fds.push_back({side.master, POLLIN, 0});
    }
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            std::perror("sdu-null-modem: poll");
            return 1;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN) {
                carry(fds[i].fd, fds[i ^ 1].fd); // sides 2k and 2k+1 form a pair
            }
        }
    }
}
