#pragma once
// What `zelkdmd replay --explain` reports: for every trigger, how often and
// on which frames it was sent; for a trigger never sent, the frame whose live
// mask came nearest to its region, by the plug-in's own masks and rule.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "device/matching/zelk_capture.h"

namespace zelk::tools {

class ReplayExplanation {
public:
    void triggerSent(uint64_t frame, int trigger);
    // After a frame whose live mask was compared with the triggers.
    void frameCompared(uint64_t frame, const device::TZelkCapture& capture);
    void print(std::FILE* out, const device::TZelkCapture& capture, uint64_t framesReplayed) const;

private:
    // Sends on consecutive frames (a trigger held with --match-reset 0) are
    // kept as one run, so a long replay costs little memory.
    struct Run {
        uint64_t first = 0;
        uint64_t last = 0;
    };
    struct PerTrigger {
        uint64_t sends = 0;
        std::vector<Run> runs;
        uint64_t nearestFrame = 0;  // 0: no frame was compared
        size_t nearestDifference = SIZE_MAX;
    };

    PerTrigger& entry(int trigger);
    void printSends(std::FILE* out, const PerTrigger& entry) const;

    std::vector<PerTrigger> triggers_;  // trigger n at index n - 1
    uint64_t framesCompared_ = 0;
};

}  // namespace zelk::tools
