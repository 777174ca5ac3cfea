// What a failing serial-port call means on a POSIX system, with the facts that help the user:
// the group that owns a device the user may not open, the program that holds a busy one.
#include "base/process_name.h"
#include "comm/port_fault.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <limits.h>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

TPortFaultKind kindOf(const std::string& call, int error) {
    const bool opening = call == "open";
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return TPortFaultKind::NoSuchPort;
    case ENXIO:
    case ENODEV:
        // A node without a device behind it, or one that vanished while open.
        return opening ? TPortFaultKind::NoSuchPort : TPortFaultKind::DeviceGone;
    case EACCES:
    case EPERM:
        return TPortFaultKind::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
        return TPortFaultKind::InUse;
    case EISDIR:
    case ENOTTY:
        return TPortFaultKind::NotASerialPort;
    case EIO:
    case EPIPE:
    case EBADF:
        return opening ? TPortFaultKind::Other : TPortFaultKind::DeviceGone;
    default:
        return TPortFaultKind::Other;
    }
}

std::string groupOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    if (const group* g = ::getgrgid(st.st_gid)) {
        return g->gr_name;
    }
    return std::to_string(st.st_gid);
}

std::string fileTypeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        return "a directory";
    }
    if (S_ISREG(st.st_mode)) {
        return "a regular file";
    }
    if (S_ISCHR(st.st_mode)) {
        return "a device that is not a terminal";
    }
    return "not a device";
}

std::string currentUser() {
    if (const passwd* pw = ::getpwuid(::geteuid())) {
        return pw->pw_name;
    }
    return std::to_string(::geteuid());
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string linkTarget(const std::string& link) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

bool allDigits(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

struct TDirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using TDir = std::unique_ptr<DIR, TDirCloser>;

bool processHoldsFile(const std::string& pid, const std::string& device) {
    const std::string fdDir = "/proc/" + pid + "/fd";
    const TDir fds(::opendir(fdDir.c_str()));
    if (!fds) {
        return false; // another user's process: the system does not tell
    }
    while (const dirent* fd = ::readdir(fds.get())) {
        if (allDigits(fd->d_name) && linkTarget(fdDir + "/" + fd->d_name) == device) {
            return true;
        }
    }
    return false;
}

// The process that holds an flock on the file: /proc/locks names it by the device and inode
// of the file's node ("1: FLOCK  ADVISORY  WRITE 812 00:05:1234 0 EOF").
std::string flockHolderOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    char node[64];
    std::snprintf(node, sizeof node, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, pid, where;
        if (fields >> id >> kind >> mode >> access >> pid >> where && kind == "FLOCK" &&
            where == node && allDigits(pid.c_str())) {
            return processDescription(std::stol(pid));
        }
    }
    return {};
}

// The first other process that has the device open, when /proc tells.
std::string openerOf(const std::string& path) {
    const std::string device = realPath(path);
    const std::string self = std::to_string(::getpid());
    const TDir proc(::opendir("/proc"));
    if (!proc) {
        return {};
    }
    while (const dirent* entry = ::readdir(proc.get())) {
        if (allDigits(entry->d_name) && entry->d_name != self &&
            processHoldsFile(entry->d_name, device)) {
            return processDescription(std::stol(entry->d_name));
        }
    }
    return {};
}

// "minicom (PID 812)": who holds a port that is in use.
std::string holderOf(const std::string& call, const std::string& path) {
    std::string holder = call == "flock" ? flockHolderOf(path) : std::string();
    return holder.empty() ? openerOf(path) : holder;
}

} // namespace

void recordPortFault(const std::string& call, int error, const std::string& path) {
    TPortFault fault;
    fault.kind = kindOf(call, error);
    fault.call = call;
    fault.error = error;
    fault.path = path;
    fault.osMessage = std::strerror(error);
    if (fault.kind == TPortFaultKind::PermissionDenied) {
        fault.group = groupOf(path);
        fault.user = currentUser();
    } else if (fault.kind == TPortFaultKind::InUse) {
        fault.holder = holderOf(call, path);
    } else if (fault.kind == TPortFaultKind::NotASerialPort) {
        fault.fileType = fileTypeOf(path);
    }
    setPortFault(std::move(fault));
}
