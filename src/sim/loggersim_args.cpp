#include "sim/loggersim_args.h"

#include <functional>
#include <limits>

namespace {

template <class T>
bool parseInto(const std::string& option, const std::string& text, T& target, std::string& error) {
    const auto value = parseSimNumber(text);
    if (!value || *value > std::numeric_limits<T>::max()) {
        error = option + ": bad number '" + text + "'";
        return false;
    }
    target = static_cast<T>(*value);
    return true;
}

} // namespace

bool parseLoggerSimArgs(const std::vector<std::string>& args, TLoggerSimArgs& out,
                        std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            out.help = true;
            continue;
        }
        // --version alone is the program's version; followed by a number (as older scripts
        // write it) it is the logger's, which --logger-version names plainly.
        if (option == "--version" && (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)) {
            out.version = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = option.rfind("--", 0) == 0 ? option + " needs a value"
                                               : "unknown argument '" + option + "'";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--class") {
            ok = parseInto(option, value, out.options.loggerClass, error);
        } else if (option == "--logger-version" || option == "--version") {
            ok = parseInto(option, value, out.options.loggerVersion, error);
        } else if (option == "--platform") {
            ok = parseInto(option, value, out.options.platform, error);
        } else if (option == "--print") {
            ok = parseInto(option, value, out.options.print, error);
        } else if (option == "--baud") {
            ok = parseInto(option, value, out.options.baud, error);
        } else if (option == "--seed") {
            ok = parseInto(option, value, out.options.seed, error);
        } else if (option == "--fault") {
            std::string reason;
            const auto fault = parseFault(value, &reason);
            if (!fault) {
                error = "--fault " + value + ": " + reason;
                return false;
            }
            out.options.faults.push_back(*fault);
        } else if (option == "--link") {
            out.linkPath = value;
        } else if (option == "--flash-out") {
            out.flashOut = value;
        } else {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::string loggerSimUsage() {
    return R"(usage: loggersim [options]
Serves a simulated logger with its SD card module on a pseudo-terminal and prints the
terminal's path on stdout. Runs until SIGINT or SIGTERM, or until the line hangs up.

  --class N        logger class (default 0x6601)
  --logger-version N  logger version, major in the high byte (default 0x0600 = 6.0)
  --platform N     SD controller platform (default 25)
  --print N        SD controller print (default 52)
  --baud N         emulated line rate, 0 = as fast as the pty goes (default 0)
  --seed N         seed of the rate faults (default 1)
  --fault FAULT    a fault, repeatable:
                     KIND@[CLASS:]N[xCOUNT][=VALUE]  frames N..N+COUNT-1 of CLASS
                     KIND%[CLASS:]RATE[=VALUE]       each frame of CLASS with probability RATE
                   KIND: silence crc exception hangup (any class); ready40 ready80 (probe);
                   cmd-status (command, info, begin, end); send-status (a send, default line);
                   recv-status (receive); end-status (end); busy=K (line, info);
                   readback (line); answer (info)
                   CLASS: any ident probe sub group send receive command info begin end
                   line final
  --link PATH      make PATH a symlink to the terminal (removed at the end)
  --flash-out FILE write the programmed flash as Intel HEX when the program ends
  --help           this text
  --version        the program's version
Numbers are decimal or 0x hex.
)";
}
