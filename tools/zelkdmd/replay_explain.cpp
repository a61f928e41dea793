#include "tools/zelkdmd/replay_explain.h"

#include <cinttypes>

#include "device/matching/trigger_set.h"

namespace zelk::tools {
namespace {

// More runs than this are summed up: the plain replay lists every send.
constexpr size_t kRunsListed = 20;

}  // namespace

ReplayExplanation::PerTrigger& ReplayExplanation::entry(int trigger) {
    const auto index = static_cast<size_t>(trigger - 1);
    if (triggers_.size() <= index) triggers_.resize(index + 1);
    return triggers_[index];
}

void ReplayExplanation::triggerSent(uint64_t frame, int trigger) {
    if (trigger < 1) return;
    PerTrigger& sent = entry(trigger);
    ++sent.sends;
    if (!sent.runs.empty() && sent.runs.back().last + 1 >= frame) {
        sent.runs.back().last = frame;  // consecutive, or a second send on the same frame
    } else {
        sent.runs.push_back({frame, frame});
    }
}

void ReplayExplanation::frameCompared(uint64_t frame, const device::TZelkCapture& capture) {
    ++framesCompared_;
    const device::TZelkFrame* live = capture.liveFrame();
    for (int n = 1; n <= capture.numImages(); ++n) {
        PerTrigger& nearness = entry(n);
        if (nearness.sends > 0) continue;
        const device::Trigger& trigger = capture.trigger(n);
        // Counting stops once this frame cannot be nearer than the nearest so far.
        const std::optional<size_t> difference =
            device::RegionDifference(live, &trigger.mask, trigger.region, nearness.nearestDifference);
        if (difference && *difference < nearness.nearestDifference) {
            nearness.nearestDifference = *difference;
            nearness.nearestFrame = frame;
        }
    }
}

void ReplayExplanation::printSends(std::FILE* out, const PerTrigger& sent) const {
    std::fprintf(out, "sent %" PRIu64 " time%s on frame%s ", sent.sends, sent.sends == 1 ? "" : "s",
                 sent.runs.size() == 1 && sent.runs[0].first == sent.runs[0].last ? "" : "s");
    for (size_t i = 0; i < sent.runs.size() && i < kRunsListed; ++i) {
        const Run& run = sent.runs[i];
        std::fprintf(out, i == 0 ? "%" PRIu64 : ", %" PRIu64, run.first);
        if (run.last != run.first) std::fprintf(out, "-%" PRIu64, run.last);
    }
    if (sent.runs.size() > kRunsListed) std::fprintf(out, " and %zu more", sent.runs.size() - kRunsListed);
    std::fputc('\n', out);
}

void ReplayExplanation::print(std::FILE* out, const device::TZelkCapture& capture, uint64_t framesReplayed) const {
    std::fprintf(out, "%" PRIu64 " frames replayed, %" PRIu64 " compared with %d trigger pictures\n",
                 framesReplayed, framesCompared_, capture.numImages());
    for (int n = 1; n <= capture.numImages(); ++n) {
        const auto index = static_cast<size_t>(n - 1);
        const PerTrigger none;
        const PerTrigger& explained = index < triggers_.size() ? triggers_[index] : none;
        std::fprintf(out, "D%d: ", n);
        if (explained.sends > 0) {
            printSends(out, explained);
            continue;
        }
        const device::Trigger& trigger = capture.trigger(n);
        const size_t regionBytes = trigger.mask.Frame.size();
        if (explained.nearestFrame != 0) {
            std::fprintf(out, "never sent; nearest frame %" PRIu64 ", %zu of its %zu mask bytes differ\n",
                         explained.nearestFrame, explained.nearestDifference, regionBytes);
        } else if (!device::RegionDifference(capture.liveFrame(), &trigger.mask, trigger.region, 0)) {
            std::fputs("never sent; its region does not lie inside trigger picture 1, so it never matches\n", out);
        } else {
            std::fputs("never sent; no frame was compared (frames smaller than trigger picture 1?)\n", out);
        }
    }
}

}  // namespace zelk::tools
