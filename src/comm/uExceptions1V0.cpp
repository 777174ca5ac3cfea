#include "comm/uExceptions1V0.h"

EZel::EZel(std::int32_t code) : std::runtime_error(std::string()), iException(code) {}

EZel::EZel(std::int32_t code, const std::string& sMsg)
    : std::runtime_error(sMsg), iException(code) {}

EZel::EZel(std::int32_t code, std::int32_t iInfo)
    : std::runtime_error(std::to_string(iInfo)), iException(code) {}

TStatusMessage finalMessageFor(const std::exception_ptr& error, std::int32_t cmd) {
    try {
        std::rethrow_exception(error);
    } catch (const EZel& e) {
        if (e.iException == kErrNoReply) {
            return {kStatusRepeat, cmd};
        }
        return {kStatusFailed, e.iException};
    } catch (...) {
        return {kStatusFailed, kErrFatal};
    }
}
