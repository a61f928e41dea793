#pragma once
// Fakes of the mirroring's seams: windows by title whose pixels the test sets
// (and can make unreadable), found only after a set number of looks, and a
// main-thread wait with a clock that only the sleeps advance.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/mirror/window_capture.h"

namespace zelk::test {

struct FakeWindow {
    struct {
        int32_t width = 0, height = 0;
        std::vector<uint8_t> pixels;  // blue, green, red, unused; packed rows
    } pixels;
    bool readable = true;
    int reads = 0;
    int held = 0;      // captured handles of it alive now
    int released = 0;  // how many captured handles of it were let go
};

class FakeWindowCapture final : public control::WindowCapture {
public:
    std::map<std::string, std::shared_ptr<FakeWindow>> windows;
    std::map<std::string, int> looksBeforeFound;  // looks that still find nothing
    std::vector<std::string> looks;

    std::unique_ptr<control::CapturedWindow> findWindow(const std::string& title) override {
        looks.push_back(title);
        const auto window = windows.find(title);
        if (window == windows.end() || looksBeforeFound[title]-- > 0) return nullptr;
        return std::make_unique<Handle>(window->second);
    }

    // A window of one colour (blue, green, red).
    static std::shared_ptr<FakeWindow> solid(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r) {
        auto window = std::make_shared<FakeWindow>();
        window->pixels.width = width;
        window->pixels.height = height;
        for (int32_t i = 0; i < width * height; ++i) window->pixels.pixels.insert(window->pixels.pixels.end(), {b, g, r, 0});
        return window;
    }

private:
    class Handle final : public control::CapturedWindow {
    public:
        explicit Handle(std::shared_ptr<FakeWindow> window) : window_(std::move(window)) { ++window_->held; }
        ~Handle() override {
            --window_->held;
            ++window_->released;
        }
        bool read(BgraView& into) noexcept override {
            ++window_->reads;
            if (!window_->readable) return false;
            const auto& p = window_->pixels;
            into = {p.width, p.height, p.pixels.data(), static_cast<size_t>(p.width) * 4};
            return true;
        }

    private:
        std::shared_ptr<FakeWindow> window_;
    };
};

class FakeWait final : public control::MainThreadWait {
public:
    uint64_t now = 1'000'000;
    int pumps = 0;
    std::function<void()> onPump;  // messages that arrive during the wait

    uint64_t steadyMilliseconds() override { return now; }
    void sleep(uint32_t milliseconds) override { now += milliseconds; }
    void pumpMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
};

}  // namespace zelk::test
