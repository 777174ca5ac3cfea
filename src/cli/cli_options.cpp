#include "cli/cli_options.h"

#include <stdexcept>

const char* const kCliUsage =
    "Usage: sdupdate-cli --port NAME [--yes] [--read-info-only] [--file PATH]\n"
    "                    [--max-restarts N] [key:value ...]\n"
    "       sdupdate-cli --list-images | --list-ports | --help | --version\n"
    "\n"
    "Updates the firmware of the SD card module of the logger on serial port NAME\n"
    "(COM3 on Windows; ttyUSB0 or a path such as /dev/pts/3 elsewhere).\n"
    "\n"
    "  --port NAME         serial port of the logger\n"
    "  --yes               answer the confirmation question with Yes\n"
    "  --read-info-only    stop after the image choice (internal mode only)\n"
    "  --file PATH         send the image of a firmware description file\n"
    "                      (internal mode with f:+ only)\n"
    "  --max-restarts N    give up after N automatic restarts (default: no limit)\n"
    "  --list-images       print the firmware overview, newest first\n"
    "  --list-ports        print the serial ports of the logger type found\n"
    "  key:value           the options of the desktop program: cc:- f:+ (internal mode),\n"
    "                      mf:+ / mf:-\n"
    "\n"
    "The report goes to stdout, one line per entry. Exit status: 0 success, 1 fatal error,\n"
    "2 usage, 3 not confirmed, otherwise the error code of the run (10 port not ready,\n"
    "20 cancelled, 30 no answer after the restarts, 44 programming failed, ...).\n";

namespace {

int parseCount(const std::string& text) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0) {
        throw std::invalid_argument("--max-restarts needs a number of 0 or more, not '" + text +
                                    "'");
    }
    return value;
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
            options.port = value();
            options.portGiven = true;
        } else if (arg.rfind("--port=", 0) == 0) {
            options.port = arg.substr(7);
            options.portGiven = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--read-info-only") {
            options.readInfoOnly = true;
        } else if (arg == "--file") {
            options.file = value();
        } else if (arg == "--max-restarts") {
            options.maxRestarts = parseCount(value());
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
    return options;
}
