#pragma once
// POSIX: the lock file that Linux serial tools share (minicom, picocom, the lockdev library):
// LCK..<device name> in /run/lock (or /var/lock where that is what exists), holding the
// owner's PID as ten characters and a newline. It is taken before the device is opened, so a
// second program never touches a port in use, not even as root (whom TIOCEXCL does not stop
// and whose open() would already raise the modem lines of the running update).

#include <string>

struct TPortLock {
    enum class TOutcome {
        Taken,   // `file` is ours until releasePortLock
        Held,    // a live process holds it: `holderPid`
        Skipped, // no lock file (no writable lock folder, not a device); `note` says why
    };
    TOutcome outcome = TOutcome::Skipped;
    std::string file;
    long holderPid = 0;
    std::string note;
};

// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3; empty for a path that is not
// under /dev. Symbolic links are resolved first, so every name of a device shares one lock.
std::string portLockName(const std::string& devicePath);

// The folder of lock files: /run/lock, else /var/lock; empty when neither exists.
std::string portLockFolder();

// Takes the lock of `devicePath` in `folder`: created with O_EXCL; a lock whose PID no longer
// runs is stale and removed. Never throws.
TPortLock takePortLock(const std::string& devicePath, const std::string& folder = portLockFolder());

// Removes a lock file taken by this process (nothing when `file` is empty).
void releasePortLock(const std::string& file);
