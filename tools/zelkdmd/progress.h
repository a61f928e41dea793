#pragma once
// Progress of long work on standard error, "zelkdmd replay: frame 12000 of
// 50000 (24%)", redrawn in place. Only when standard error is a terminal,
// and only once the work has taken a second: short runs and logs stay quiet.
#include <chrono>
#include <cstdint>
#include <string>

namespace zelk::tools {

class Progress {
public:
    Progress(std::string label, uint64_t total);
    ~Progress();  // clears the line
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Cheap enough for every frame: the clock is read every 1024 calls.
    void update(uint64_t done) {
        if (enabled_ && (done & 1023) == 0) redraw(done);
    }
    // Erases the line, if one is shown, before other output goes to the
    // terminal; the next update draws it again.
    void clear() {
        if (width_ > 0) erase();
    }

private:
    void redraw(uint64_t done);
    void erase();

    std::string label_;
    uint64_t total_;
    bool enabled_;
    int width_ = 0;  // of the widest line drawn, 0 while none is shown
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace zelk::tools
