#include "cli/cli_options.h"

#include <stdexcept>

const char* const kCliUsage =
    "Usage: sdupdate-cli --port NAME [--port NAME ...] [options] [key:value ...]\n"
    "       sdupdate-cli --all-ports | --station [options] [key:value ...]\n"
    "       sdupdate-cli --list-images | --list-ports | --help | --version\n"
    "\n"
    "Updates the firmware of the SD card module of the logger on serial port NAME\n"
    "(COM3 on Windows; ttyUSB0 or a path such as /dev/pts/3 elsewhere).\n"
    "\n"
    "  --port NAME         serial port of the logger; several times: those loggers at once\n"
    "  --all-ports         every port of the logger's USB adapter type, at once\n"
    "  --station           wait for adapters to appear and update each new one once (again\n"
    "                      after it was unplugged); Ctrl-C stops taking new ones, a second\n"
    "                      Ctrl-C cancels the running updates\n"
    "  --yes               answer the confirmation question with Yes\n"
    "  --max-restarts N    automatic restarts after a communication or programming failure\n"
    "                      before giving up (default 3; 'unlimited' as the desktop program)\n"
    "  --json              JSON Lines on stdout instead of the report (docs/json.md)\n"
    "  --record FILE       append the update record to FILE (default: the records file,\n"
    "                      $XDG_DATA_HOME/sdupdate/updates.jsonl)\n"
    "  --no-record         write no update record\n"
    "  --trace FILE        write every frame sent and received, the pauses and the restarts\n"
    "                      to FILE ('-' for stderr; with several ports FILE.PORT each)\n"
    "  --read-info-only    stop after the image choice (internal mode only)\n"
    "  --file PATH         send the image of a firmware description file\n"
    "                      (internal mode with f:+ only)\n"
    "  --list-images       print the firmware overview, newest first\n"
    "  --list-ports        print the serial ports of the logger's adapter type\n"
    "  key:value           the options of the desktop program: cc:- f:+ (internal mode),\n"
    "                      mf:+ / mf:-; one that changes nothing gets a warning\n"
    "\n"
    "The report goes to stdout, one line per entry; warnings, the reason of a failure, the\n"
    "progress bar (on a terminal) and a summary go to stderr. A closed stdout or stderr\n"
    "does not stop the update. Several ports are updated by one child process each: a live\n"
    "line per port on a terminal, then a summary table on stderr.\n"
    "\n"
    "Ctrl-C, SIGTERM or SIGHUP cancel the update at the next frame exchange, also during a\n"
    "pause or before a restart; the port is closed and the exit status is 20. A second\n"
    "signal while the first is being honoured ends the program at once.\n"
    "\n"
    "Exit status: 0 success, 1 fatal error, 2 usage, 3 not confirmed, otherwise the error\n"
    "code of the run: 10 port not ready, 11 port failed during the run, 20 cancelled,\n"
    "30 no answer after the restarts, 40-48 update failures (44 programming failed after\n"
    "the restarts), 70 read info only. Several ports: 0 when all succeeded, else the status\n"
    "of the first port that failed, in the order given.\n";

namespace {

std::optional<int> parseRestarts(const std::string& text) {
    if (text == "unlimited") {
        return std::nullopt;
    }
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || value < 0) {
        throw std::invalid_argument(
            "--max-restarts needs a number of 0 or more or 'unlimited', not '" + text + "'");
    }
    return value;
}

std::string portName(const std::string& text) {
    if (text.empty()) {
        throw std::invalid_argument("--port needs a port name, not an empty one");
    }
    return text;
}

} // namespace

TCliOptions parseCliOptions(int argc, const char* const* argv) {
    TCliOptions options;
    options.startupArgs.emplace_back(argc > 0 ? argv[0] : "sdupdate-cli");
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw std::invalid_argument(arg + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--port") {
            options.ports.push_back(portName(value()));
        } else if (arg.rfind("--port=", 0) == 0) {
            options.ports.push_back(portName(arg.substr(7)));
        } else if (arg == "--all-ports") {
            options.allPorts = true;
        } else if (arg == "--station") {
            options.station = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--record") {
            options.record = value();
            if (options.record->empty()) {
                throw std::invalid_argument("--record needs a file name");
            }
        } else if (arg == "--no-record") {
            options.noRecord = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--read-info-only") {
            options.readInfoOnly = true;
        } else if (arg == "--file") {
            options.file = value();
        } else if (arg == "--max-restarts") {
            options.maxRestarts = parseRestarts(value());
        } else if (arg == "--trace") {
            options.trace = value();
            if (options.trace->empty()) {
                throw std::invalid_argument("--trace needs a file name or '-'");
            }
        } else if (arg == "--list-images") {
            options.listImages = true;
        } else if (arg == "--list-ports") {
            options.listPorts = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg.rfind("--", 0) == 0 || arg == "-") {
            throw std::invalid_argument("unknown option " + arg);
        } else {
            options.startupArgs.push_back(arg); // key:value, judged as the window judges it
        }
    }
    if (options.record && options.noRecord) {
        throw std::invalid_argument("--record and --no-record exclude each other");
    }
    const int modes =
        (options.ports.empty() ? 0 : 1) + (options.allPorts ? 1 : 0) + (options.station ? 1 : 0);
    if (modes > 1) {
        throw std::invalid_argument("give --port, --all-ports or --station, not several of them");
    }
    return options;
}
