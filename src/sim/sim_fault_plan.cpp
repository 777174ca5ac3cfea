#include "sim/sim_fault_plan.h"

#include <algorithm>
#include <utility>

TSimFaultPlan::TSimFaultPlan(std::vector<TSimFault> faults, std::uint64_t seed)
    : FFaults(std::move(faults)), FState(seed) {}

double TSimFaultPlan::draw() {
    // splitmix64; the top 53 bits give a number in [0, 1).
    std::uint64_t z = (FState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

std::uint32_t TSimFaultPlan::counted(TFrameClass target) const {
    return FCounts[static_cast<std::size_t>(target)];
}

std::vector<TSimFault> TSimFaultPlan::hits(std::span<const TFrameClass> classes) {
    for (const TFrameClass c : classes) {
        ++FCounts[static_cast<std::size_t>(c)];
    }
    std::vector<TSimFault> result;
    for (const TSimFault& fault : FFaults) {
        if (std::find(classes.begin(), classes.end(), fault.target) == classes.end()) {
            continue;
        }
        bool hit = false;
        if (fault.first == 0) {
            // Every fault of a matching class draws, hit or not, so the sequence of draws
            // depends only on the frames.
            hit = draw() < fault.rate;
        } else {
            const std::uint64_t n = counted(fault.target);
            hit = n >= fault.first && n < std::uint64_t{fault.first} + fault.count;
        }
        if (hit) {
            result.push_back(fault);
        }
    }
    return result;
}
