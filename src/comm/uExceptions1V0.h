#pragma once
// EZel, the exception of the update, and the status and error codes that reach the window.

#include "comm/message_post.h"

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

class EZel : public std::runtime_error {
public:
    explicit EZel(std::int32_t code);
    EZel(std::int32_t code, const std::string& sMsg);
    EZel(std::int32_t code, std::int32_t iInfo); // the text is iInfo in decimal

    std::int32_t iException;
};

// Status codes: wParam of a status message.
inline constexpr std::int32_t kStatusCompleted = 0;         // value: the worker's command
inline constexpr std::int32_t kStatusProgress = 1;          // value: percent 0..99
inline constexpr std::int32_t kStatusFailed = 10;           // value: error code
inline constexpr std::int32_t kStatusProgrammingError = 11; // value: firmware line index
inline constexpr std::int32_t kStatusConversionError = 12;  // value: firmware line index
inline constexpr std::int32_t kStatusRepeat = 13;           // value: the worker's command
inline constexpr std::int32_t kStatusSdTxError = 14;        // value: SD status + phase offset
inline constexpr std::int32_t kStatusSdRxError = 15;        // value: SD status + phase offset
inline constexpr std::int32_t kStatusClass = 20;
inline constexpr std::int32_t kStatusVersion = 21;
inline constexpr std::int32_t kStatusPlatform = 22;
inline constexpr std::int32_t kStatusPrint = 23;
inline constexpr std::int32_t kStatusInfo = 24;
inline constexpr std::int32_t kStatusUpdateClass = 25;
inline constexpr std::int32_t kStatusUpdate = 26;
inline constexpr std::int32_t kStatusCheck = 27;
inline constexpr std::int32_t kStatusUpdateInfo = 28;
inline constexpr std::int32_t kStatusUnknownRadio = 29;
inline constexpr std::int32_t kStatusFormat = 31;
inline constexpr std::int32_t kStatusVectorTable = 40;
inline constexpr std::int32_t kStatusShared = 100;
inline constexpr std::int32_t kStatusResistor = 101;
inline constexpr std::int32_t kStatusBlid = 102;

// Phase offsets added to an SD status in codes 14 and 15.
inline constexpr std::int32_t kPhaseAccess = 0x000;
inline constexpr std::int32_t kPhaseAnswerRecord = 0x000;
inline constexpr std::int32_t kPhaseMalformedAnswer = 0x100;
inline constexpr std::int32_t kPhaseStart = 0x200;
inline constexpr std::int32_t kPhaseLine = 0x300;
inline constexpr std::int32_t kPhaseFinish = 0x400;

// Error codes: iException of an EZel, the value of status code 10.
inline constexpr std::int32_t kErrFatal = 0;
inline constexpr std::int32_t kErrPortNotReady = 10;
inline constexpr std::int32_t kErrPortIo = 11;
inline constexpr std::int32_t kErrCancelled = 20;
inline constexpr std::int32_t kErrNoReply = 30;
inline constexpr std::int32_t kErrNoUpdatePath = 40;
inline constexpr std::int32_t kErrNotReady = 41;
inline constexpr std::int32_t kErrLastLine = 42;
inline constexpr std::int32_t kErrConversion = 43;
inline constexpr std::int32_t kErrRepeatProgramming = 44;
inline constexpr std::int32_t kErrNotSuccessful = 45;
inline constexpr std::int32_t kErrInvalidAnswer = 46;
inline constexpr std::int32_t kErrNoImage = 47;
inline constexpr std::int32_t kErrSdAnswer = 48;
inline constexpr std::int32_t kErrFormat = 60;
inline constexpr std::int32_t kErrReadInfoOnly = 70;
inline constexpr std::int32_t kErrKeTimeout = 100;
inline constexpr std::int32_t kErrKeCrc = 101;
inline constexpr std::int32_t kErrKePor = 102;
inline constexpr std::int32_t kErrTestUnavailable = 200;

// The worker's final message for the exception that ended its run: EZel 30 repeats the
// command (13, cmd), any other EZel fails with its code (10, code), anything else with (10, 0).
TStatusMessage finalMessageFor(const std::exception_ptr& error, std::int32_t cmd);
