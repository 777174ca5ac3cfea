#include "cli/cli_process.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

std::string fileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TCliProcess::TCliProcess(const std::string& dir, const TCliSpawn& spawn) : FDir(dir) {
    // Everything the child needs is built before the fork: after it, in a process with other
    // threads, only async-signal-safe calls are allowed.
    std::vector<std::string> argv{SDUPDATE_CLI};
    argv.insert(argv.end(), spawn.args.begin(), spawn.args.end());
    // Its own settings and records (unless the test gives XDG_DATA_HOME itself).
    std::vector<std::string> env = spawn.env; // first: getenv finds the first of a name
    env.push_back("XDG_CONFIG_HOME=" + dir + "/config");
    env.push_back("XDG_DATA_HOME=" + dir + "/data");
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("XDG_DATA_HOME=", 0) != 0) {
            env.push_back(entry);
        }
    }
    std::vector<char*> args, envp;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    const std::string out = dir + "/out";
    const std::string err = dir + "/err";

    FPid = ::fork();
    if (FPid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (FPid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = spawn.stdoutFd ? *spawn.stdoutFd
                                     : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(in, STDIN_FILENO);
        ::dup2(o, STDOUT_FILENO);
        ::dup2(e, STDERR_FILENO);
        ::setpgid(0, 0); // a signal of the test reaches this child alone
        if (spawn.account) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(spawn.account->second) != 0 ||
                ::setuid(spawn.account->first) != 0) {
                ::_exit(126);
            }
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
}

TCliProcess::~TCliProcess() {
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
}

void TCliProcess::signal(int sig) const {
    if (FPid > 0) {
        ::kill(FPid, sig);
    }
}

std::optional<int> TCliProcess::waitExit(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(FPid, &status, WNOHANG);
        if (done == FPid) {
            FPid = -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt; // the destructor kills it
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}

std::string TCliProcess::out() const {
    return fileContent(FDir + "/out");
}

std::string TCliProcess::err() const {
    return fileContent(FDir + "/err");
}
