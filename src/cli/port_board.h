#pragma once
// What the supervisor of several updates knows of each port, from its child's JSON events:
// the live line on a terminal, the summary table at the end, the reasons of a failure.

#include <nlohmann/json.hpp>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct TPortState {
    std::string port;
    std::string adapterSerial;
    std::string phase = "starting";
    int percent = 0;
    std::optional<double> estimate; // seconds left
    // From the result event, once the child has ended.
    std::optional<int> exitCode;
    std::string result;
    std::string image; // "3 (SD card module V4.108)"
    double duration = 0;
    std::vector<std::string> stderrLines; // the child's own lines, without its prefix
};

// Takes one JSON event of the port's child into the state.
void applyChildEvent(TPortState& state, const nlohmann::ordered_json& event);
// Takes one stderr line of the port's child.
void applyChildStderr(TPortState& state, const std::string& line);

// "ttyUSB0  A12345BC  writing line 87 of 207   42%  about 1:24 left"
std::string liveLine(const TPortState& state);
// The summary: a header and one row per port (port, adapter serial, result, image, duration).
std::vector<std::string> summaryTable(const std::vector<TPortState>& states);

// The live lines of all ports on a terminal, redrawn in place.
class TLiveBoard {
public:
    explicit TLiveBoard(std::FILE* out) : FOut(out) {}
    void draw(const std::vector<std::string>& lines);
    // Leaves the lines drawn as they are, below them the cursor.
    void release() { FDrawn = 0; }

private:
    std::FILE* FOut;
    std::size_t FDrawn = 0;
};
