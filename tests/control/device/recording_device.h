#pragma once
// A DmdDevice that records every call with its arguments and a copy of every
// frame, for tests of anything that drives the DMD. It can also be told to
// throw from Render_RGB24, to check that a failing device drops the frame.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/device/dmd_device.h"

namespace zelk::control::testing {

struct RecordedCall {
    enum class Kind { Open, GameSettings, Render, Close };
    Kind kind = Kind::Open;
    // PM_GameSettings
    std::string gameName;
    uint64_t hardwareGeneration = 0;
    std::vector<uint8_t> options;  // the 76 bytes of the options record
    // Render_RGB24
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> frame;    // width * height * 3 bytes, red, green, blue
};

class RecordingDevice : public DmdDevice {
public:
    static constexpr size_t kOptionsBytes = 76;

    std::vector<RecordedCall> calls;
    bool throwOnRender = false;

    void Open() override { calls.push_back({}); }

    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                         const void* options) override {
        RecordedCall call;
        call.kind = RecordedCall::Kind::GameSettings;
        call.gameName = gameName != nullptr ? gameName : "<null>";
        call.hardwareGeneration = hardwareGeneration;
        if (options != nullptr) {
            const auto* bytes = static_cast<const uint8_t*>(options);
            call.options.assign(bytes, bytes + kOptionsBytes);
        }
        calls.push_back(std::move(call));
    }

    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) override {
        if (throwOnRender) throw std::runtime_error("recording device: render refused");
        RecordedCall call;
        call.kind = RecordedCall::Kind::Render;
        call.width = width;
        call.height = height;
        if (frame != nullptr)
            call.frame.assign(frame, frame + static_cast<size_t>(width) * height * 3);
        calls.push_back(std::move(call));
    }

    void Close() override {
        RecordedCall call;
        call.kind = RecordedCall::Kind::Close;
        calls.push_back(std::move(call));
    }

    size_t count(RecordedCall::Kind kind) const {
        size_t n = 0;
        for (const RecordedCall& call : calls) n += call.kind == kind ? 1 : 0;
        return n;
    }

    // The frames of all Render_RGB24 calls, in order.
    std::vector<std::vector<uint8_t>> frames() const {
        std::vector<std::vector<uint8_t>> result;
        for (const RecordedCall& call : calls)
            if (call.kind == RecordedCall::Kind::Render) result.push_back(call.frame);
        return result;
    }
};

}  // namespace zelk::control::testing
