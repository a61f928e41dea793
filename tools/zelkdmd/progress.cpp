#include "tools/zelkdmd/progress.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "platform/terminal.h"

namespace zelk::tools {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

}  // namespace

Progress::Progress(std::string label, uint64_t total)
    : label_(std::move(label)), total_(total), enabled_(platform::isTerminal(stderr)),
      start_(Clock::now()),
      lastDrawn_(start_) {}

Progress::~Progress() { clear(); }

void Progress::erase() {
    // Spaces rather than an escape sequence: a Windows console may not take those.
    std::fprintf(stderr, "\r%*s\r", width_, "");
    width_ = 0;
}

void Progress::redraw(uint64_t done) {
    const Clock::time_point now = Clock::now();
    if (now - start_ < kQuietFor || now - lastDrawn_ < kRedrawEvery) return;
    const unsigned percent = total_ == 0 ? 0u : static_cast<unsigned>(done * 100 / total_);
    const int width = std::fprintf(stderr, "\r%s: frame %" PRIu64 " of %" PRIu64 " (%u%%)", label_.c_str(),
                                   done, total_, percent);
    std::fflush(stderr);
    if (width > width_) width_ = width;
    lastDrawn_ = now;
}

}  // namespace zelk::tools
