#pragma once
// Settings of the simulated logger and its SD controller, and the faults it can be told to show.
//
// Fault model. Every valid command frame the logger receives (wake frames and frames with a bad
// check byte are not counted) is numbered from 1 among all frames (class "any") and among the
// frames of each class it belongs to (see TFrameClass). A fault is aimed either at frames
// `first` to `first + count - 1` of its target class, or, with `first` = 0, drawn for every
// frame of its target class with probability `rate` from a generator seeded with
// TSimOptions::seed (same seed and same frames: same faults). Several faults may hit one frame;
// they act in this order: hang-up, silence, then the frame is carried out (the status, busy,
// read-back and answer faults change what the controller does), then readiness bits, device
// exception and wrong check byte change the reply.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Classes of command frames a fault can count. A frame belongs to "any" and to each class that
// describes it, e.g. the send of the end command is "send", "command" and "end".
enum class TFrameClass : std::uint8_t {
    Any,     // every valid command frame
    Ident,   // command 1, the identification
    Probe,   // relay sub-command 0, the readiness probe
    Sub,     // relay sub-commands 1, 2 and 3
    Group,   // relay sub-command 0x80 + n, a transfer-buffer group write/read
    Send,    // relay sub-command 0x0B, the logger passes buffer bytes to the SD controller
    Receive, // relay sub-command 0x0A, the logger fetches bytes from the SD controller
    Command, // a send whose buffer holds an SD command record (0x20, 0x31, 0x32 or another code)
    Info,    // a send of SD command 0x20, the request for the answer record
    Begin,   // a send of SD command 0x31, begin of programming
    End,     // a send of SD command 0x32, end of programming
    Line,    // a send whose buffer holds a data record (a firmware line)
    Final,   // the final frame that restarts the module
};

enum class TFaultKind : std::uint8_t {
    Silence,       // the frame is lost on the line: not carried out, no reply
    BadCrc,        // the frame is carried out; its reply has a wrong check byte
    Exception,     // the frame is carried out; reply byte 0 gets 0x20 (device exception)
    Ready40,       // readiness probe: reply byte 0 gets 0x40
    Ready80,       // readiness probe: reply byte 0 gets 0x80
    CommandStatus, // send of an SD command: status `value`, the command is not carried out
    SendStatus,    // any send (default: a line): status `value`, the record is not taken
    ReceiveStatus, // receive: status `value`, the buffer is left as it was
    EndStatus,     // send of the end command 0x32: status `value`, not carried out
    Busy,          // after the aimed line (or info request) the next `value` receives are busy
    ReadBack,      // the read-back copy of the aimed line has data byte 0 complemented
    BadAnswer,     // the answer record of the aimed info request has type byte 0x04
    HangUp,        // the line hangs up at the aimed frame: no reply, the pty master is closed
};

struct TSimFault {
    TFaultKind kind = TFaultKind::Silence;
    TFrameClass target = TFrameClass::Any; // frames counted; see defaultTarget()
    std::uint32_t first = 1;               // 1-based number among frames of `target`; 0: rate
    std::uint32_t count = 1;               // consecutive frames of `target` hit from `first`
    double rate = 0.0;                     // used when `first` is 0: probability per frame
    std::uint32_t value = 0;               // status byte or number of busy polls; 0: default
};

// Status bytes of the simulated SD controller (reply byte 1 of a send or receive).
inline constexpr std::uint8_t kSdOk = 0x00;
inline constexpr std::uint8_t kSdBusy = 0x01;           // still programming, ask again
inline constexpr std::uint8_t kSdNotOpen = 0x02;        // no sub-command 2 since the last 1
inline constexpr std::uint8_t kSdBadRecord = 0x03;      // count/type/length do not fit
inline constexpr std::uint8_t kSdNotProgramming = 0x04; // line or 0x32 without 0x31
inline constexpr std::uint8_t kSdUnknownCommand = 0x05; // SD command code not known
inline constexpr std::uint8_t kSdNothingToReceive = 0x06;
inline constexpr std::uint8_t kSdBadCount = 0x07;       // receive count differs from the record
inline constexpr std::uint8_t kSdInjectedStatus = 0x0E; // default status of the status faults

struct TSimOptions {
    // A logger of class 0x6601 from version 6.0 on: relay command 2 with selector 200.
    std::uint16_t loggerClass = 0x6601;
    std::uint16_t loggerVersion = 0x0600;
    // The SD controller the newest built-in image (4.108) is made for.
    std::uint16_t platform = 25;
    std::uint16_t print = 52;
    // 0: reply as fast as the pty goes. Otherwise a reply leaves when the frame and the reply
    // would have crossed a line of this rate (16 bytes of 10 bits after the frame arrived).
    std::uint32_t baud = 0;
    std::uint64_t seed = 1;
    std::vector<TSimFault> faults;
};

// The class a fault counts when none is given, and whether it may count `target`.
TFrameClass defaultTarget(TFaultKind kind);
bool faultFitsTarget(TFaultKind kind, TFrameClass target);
// The value the fault uses when `value` is 0: kSdInjectedStatus for the status faults, 1 busy
// poll for Busy, 0 for the rest.
std::uint32_t effectiveValue(const TSimFault& fault);

// Names as the command line writes them: "silence", "crc", "exception", "ready40", "ready80",
// "cmd-status", "send-status", "recv-status", "end-status", "busy", "readback", "answer",
// "hangup"; classes "any", "ident", "probe", "sub", "group", "send", "receive", "command",
// "info", "begin", "end", "line", "final".
std::string_view faultKindName(TFaultKind kind);
std::string_view frameClassName(TFrameClass target);
std::optional<TFaultKind> faultKindFromName(std::string_view name);
std::optional<TFrameClass> frameClassFromName(std::string_view name);

// A number in decimal or with a 0x/0X prefix in hex; the whole text must be the number.
std::optional<std::uint64_t> parseSimNumber(std::string_view text);

// Parses a fault as the command line gives it:
//   KIND@[CLASS:]N[xCOUNT][=VALUE]   frames N .. N+COUNT-1 of CLASS (default: the kind's)
//   KIND%[CLASS:]RATE[=VALUE]        each frame of CLASS with probability RATE (0 to 1)
// e.g. "silence@12", "crc@group:3", "readback@1x5", "busy@4=3", "send-status@2=0x1E",
// "silence%0.05". Returns the fault, or an error text in `error`.
std::optional<TSimFault> parseFault(std::string_view text, std::string* error = nullptr);
std::string describeFault(const TSimFault& fault);
