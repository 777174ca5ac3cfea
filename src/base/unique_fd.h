#pragma once
// POSIX: a file descriptor closed when it goes out of scope.

#include <unistd.h>

class TUniqueFd {
public:
    explicit TUniqueFd(int fd) : FFd(fd) {}
    ~TUniqueFd() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    int get() const { return FFd; }

private:
    int FFd;
};
