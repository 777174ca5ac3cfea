#pragma once
// Decides, frame by frame, which of the configured faults hit: counts each frame in its
// classes and draws the rate faults from a seeded generator (splitmix64, the same sequence on
// every platform).

#include "sim/sim_options.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class TSimFaultPlan {
public:
    TSimFaultPlan(std::vector<TSimFault> faults, std::uint64_t seed);

    // Counts one frame in each of `classes` (which include TFrameClass::Any) and returns the
    // faults that hit it, in the order they were configured.
    std::vector<TSimFault> hits(std::span<const TFrameClass> classes);

    // Frames counted so far in `target`.
    std::uint32_t counted(TFrameClass target) const;

private:
    double draw();

    std::vector<TSimFault> FFaults;
    std::array<std::uint32_t, 16> FCounts{};
    std::uint64_t FState;
};
