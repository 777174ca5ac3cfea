#include "sim/sim_options.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

constexpr std::array<std::pair<TFaultKind, std::string_view>, 13> kKindNames{{
    {TFaultKind::Silence, "silence"},
    {TFaultKind::BadCrc, "crc"},
    {TFaultKind::Exception, "exception"},
    {TFaultKind::Ready40, "ready40"},
    {TFaultKind::Ready80, "ready80"},
    {TFaultKind::CommandStatus, "cmd-status"},
    {TFaultKind::SendStatus, "send-status"},
    {TFaultKind::ReceiveStatus, "recv-status"},
    {TFaultKind::EndStatus, "end-status"},
    {TFaultKind::Busy, "busy"},
    {TFaultKind::ReadBack, "readback"},
    {TFaultKind::BadAnswer, "answer"},
    {TFaultKind::HangUp, "hangup"},
}};

constexpr std::array<std::pair<TFrameClass, std::string_view>, 13> kClassNames{{
    {TFrameClass::Any, "any"},
    {TFrameClass::Ident, "ident"},
    {TFrameClass::Probe, "probe"},
    {TFrameClass::Sub, "sub"},
    {TFrameClass::Group, "group"},
    {TFrameClass::Send, "send"},
    {TFrameClass::Receive, "receive"},
    {TFrameClass::Command, "command"},
    {TFrameClass::Info, "info"},
    {TFrameClass::Begin, "begin"},
    {TFrameClass::End, "end"},
    {TFrameClass::Line, "line"},
    {TFrameClass::Final, "final"},
}};

bool isSend(TFrameClass target) {
    switch (target) {
    case TFrameClass::Send:
    case TFrameClass::Command:
    case TFrameClass::Info:
    case TFrameClass::Begin:
    case TFrameClass::End:
    case TFrameClass::Line:
        return true;
    default:
        return false;
    }
}

bool fail(std::string* error, std::string text) {
    if (error) {
        *error = std::move(text);
    }
    return false;
}

} // namespace

TFrameClass defaultTarget(TFaultKind kind) {
    switch (kind) {
    case TFaultKind::Ready40:
    case TFaultKind::Ready80:
        return TFrameClass::Probe;
    case TFaultKind::CommandStatus:
        return TFrameClass::Command;
    case TFaultKind::SendStatus:
    case TFaultKind::Busy:
    case TFaultKind::ReadBack:
        return TFrameClass::Line;
    case TFaultKind::ReceiveStatus:
        return TFrameClass::Receive;
    case TFaultKind::EndStatus:
        return TFrameClass::End;
    case TFaultKind::BadAnswer:
        return TFrameClass::Info;
    default:
        return TFrameClass::Any;
    }
}

bool faultFitsTarget(TFaultKind kind, TFrameClass target) {
    switch (kind) {
    case TFaultKind::Silence:
    case TFaultKind::BadCrc:
    case TFaultKind::Exception:
    case TFaultKind::HangUp:
        return true;
    case TFaultKind::Ready40:
    case TFaultKind::Ready80:
        return target == TFrameClass::Probe;
    case TFaultKind::CommandStatus:
        return target == TFrameClass::Command || target == TFrameClass::Info ||
               target == TFrameClass::Begin || target == TFrameClass::End;
    case TFaultKind::SendStatus:
        return isSend(target);
    case TFaultKind::ReceiveStatus:
        return target == TFrameClass::Receive;
    case TFaultKind::EndStatus:
        return target == TFrameClass::End;
    case TFaultKind::Busy:
        return target == TFrameClass::Line || target == TFrameClass::Info;
    case TFaultKind::ReadBack:
        return target == TFrameClass::Line;
    case TFaultKind::BadAnswer:
        return target == TFrameClass::Info;
    }
    return false;
}

std::uint32_t effectiveValue(const TSimFault& fault) {
    if (fault.value != 0) {
        return fault.value;
    }
    switch (fault.kind) {
    case TFaultKind::CommandStatus:
    case TFaultKind::SendStatus:
    case TFaultKind::ReceiveStatus:
    case TFaultKind::EndStatus:
        return kSdInjectedStatus;
    case TFaultKind::Busy:
        return 1;
    default:
        return 0;
    }
}

std::string_view faultKindName(TFaultKind kind) {
    for (const auto& [k, name] : kKindNames) {
        if (k == kind) {
            return name;
        }
    }
    return "?";
}

std::string_view frameClassName(TFrameClass target) {
    for (const auto& [c, name] : kClassNames) {
        if (c == target) {
            return name;
        }
    }
    return "?";
}

std::optional<TFaultKind> faultKindFromName(std::string_view name) {
    for (const auto& [k, n] : kKindNames) {
        if (n == name) {
            return k;
        }
    }
    return std::nullopt;
}

std::optional<TFrameClass> frameClassFromName(std::string_view name) {
    for (const auto& [c, n] : kClassNames) {
        if (n == name) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> parseSimNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

namespace {

// Parses "[CLASS:]REST" and leaves REST in `text`.
bool takeClass(std::string_view& text, TSimFault& fault, std::string* error) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        fault.target = defaultTarget(fault.kind);
        return true;
    }
    const auto target = frameClassFromName(text.substr(0, colon));
    if (!target) {
        return fail(error, "unknown frame class '" + std::string(text.substr(0, colon)) + "'");
    }
    fault.target = *target;
    text.remove_prefix(colon + 1);
    return true;
}

bool parseRate(std::string_view text, double& rate) {
    if (text.empty()) {
        return false;
    }
    const std::string copy(text);
    char* end = nullptr;
    rate = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && rate >= 0.0 && rate <= 1.0;
}

bool parseFaultInto(std::string_view text, TSimFault& fault, std::string* error) {
    const auto at = text.find_first_of("@%");
    if (at == std::string_view::npos) {
        return fail(error, "a fault is KIND@N or KIND%RATE");
    }
    const auto kind = faultKindFromName(text.substr(0, at));
    if (!kind) {
        return fail(error, "unknown fault kind '" + std::string(text.substr(0, at)) + "'");
    }
    fault.kind = *kind;
    const bool byRate = text[at] == '%';
    std::string_view rest = text.substr(at + 1);
    if (const auto eq = rest.find('='); eq != std::string_view::npos) {
        const auto value = parseSimNumber(rest.substr(eq + 1));
        if (!value || *value > 0xFFFFFFFFu) {
            return fail(error, "bad fault value '" + std::string(rest.substr(eq + 1)) + "'");
        }
        fault.value = static_cast<std::uint32_t>(*value);
        rest = rest.substr(0, eq);
    }
    const bool isStatus =
        fault.kind == TFaultKind::CommandStatus || fault.kind == TFaultKind::SendStatus ||
        fault.kind == TFaultKind::ReceiveStatus || fault.kind == TFaultKind::EndStatus;
    if (isStatus && fault.value > 0xFF) {
        return fail(error, "a status is one byte (1 to 0xFF)");
    }
    if (!takeClass(rest, fault, error)) {
        return false;
    }
    if (!faultFitsTarget(fault.kind, fault.target)) {
        return fail(error, "fault '" + std::string(faultKindName(fault.kind)) +
                               "' cannot be aimed at frames of class '" +
                               std::string(frameClassName(fault.target)) + "'");
    }
    if (byRate) {
        fault.first = 0;
        if (!parseRate(rest, fault.rate)) {
            return fail(error, "bad fault rate '" + std::string(rest) + "' (0 to 1)");
        }
        return true;
    }
    // N[xCOUNT]: the count follows the last 'x' that is not part of a 0x prefix.
    std::string_view countText;
    for (std::size_t i = rest.size(); i-- > 0;) {
        if ((rest[i] == 'x' || rest[i] == 'X') &&
            !(i >= 1 && rest[i - 1] == '0' && (i == 1 || rest[i - 2] == 'x'))) {
            countText = rest.substr(i + 1);
            rest = rest.substr(0, i);
            break;
        }
    }
    const auto first = parseSimNumber(rest);
    if (!first || *first == 0 || *first > 0xFFFFFFFFu) {
        return fail(error, "bad frame number '" + std::string(rest) + "' (1 or more)");
    }
    fault.first = static_cast<std::uint32_t>(*first);
    if (!countText.empty()) {
        const auto count = parseSimNumber(countText);
        if (!count || *count == 0 || *count > 0xFFFFFFFFu) {
            return fail(error, "bad fault count '" + std::string(countText) + "'");
        }
        fault.count = static_cast<std::uint32_t>(*count);
    }
    return true;
}

} // namespace

std::optional<TSimFault> parseFault(std::string_view text, std::string* error) {
    TSimFault fault;
    if (!parseFaultInto(text, fault, error)) {
        return std::nullopt;
    }
    return fault;
}

std::string describeFault(const TSimFault& fault) {
    std::string text(faultKindName(fault.kind));
    text += fault.first == 0 ? "%" : "@";
    text += frameClassName(fault.target);
    text += ':';
    if (fault.first == 0) {
        text += std::to_string(fault.rate);
    } else {
        text += std::to_string(fault.first);
        if (fault.count != 1) {
            text += 'x' + std::to_string(fault.count);
        }
    }
    if (fault.value != 0) {
        text += '=' + std::to_string(fault.value);
    }
    return text;
}
