#include "fuzz/driver_fuzz.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/entry/dmd_driver.h"
#include "device/forward/legacy_frame.h"
#include "tests/device/fake_forward.h"
#include "tests/device/fake_platform.h"

namespace zelk::driver_fuzz {
namespace {

using E = DmdEntry;

constexpr int kMaxCalls = 64;
constexpr size_t kMaxName = 127;  // of PM_GameSettings, which reads no further
const char* const kNames[] = {"g", "VANTOR\\g", "smbg", "x"};
const uint64_t kGenerations[] = {0, 0x20000000000ull, 0x100000000000ull, 0x4000000000000ull, 0x400000000000ull};
const char* const kForwards[] = {"", "fake.so", "self.so", "missing.so"};

void require(bool condition, const std::string& what) {
    if (!condition) throw std::logic_error("driver broke a promise: " + what);
}

int readNothing(uint8_t*, int) { return 0; }

struct Reader {
    std::span<const uint8_t> data;
    size_t at = 0;
    bool done() const { return at >= data.size(); }
    uint8_t next() { return at < data.size() ? data[at++] : 0; }
    uint32_t word() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t{next()} << (8 * i);
        return value;
    }
    uint16_t side() {
        const uint8_t b = next();
        return static_cast<uint16_t>(b < 64 ? b % 6 : (b - 64) * 300 / 191);
    }
};

// One host call's arguments; its buffers live until the call has returned,
// each exactly as long as the call says (never null when empty).
struct Call {
    explicit Call(Reader& reader) : in(reader), nulls(reader.next()) {}
    Reader& in;
    uint8_t nulls;
    int pointers = 0;
    std::vector<std::unique_ptr<uint8_t[]>> kept;

    bool null() { return (nulls >> pointers++) & 1; }
    template <typename T = uint8_t>
    const T* keep(const uint8_t* bytes, size_t count) {
        kept.push_back(std::make_unique<uint8_t[]>(count));
        if (count > 0) std::memcpy(kept.back().get(), bytes, count);
        return reinterpret_cast<const T*>(kept.back().get());
    }
    template <typename T = uint8_t>
    const T* buffer(size_t count) {
        if (null()) return nullptr;
        const uint8_t first = in.next();
        const uint8_t step = in.next();
        // The values repeat every 256 bytes: copied, they cost the fuzzer no coverage work.
        uint8_t period[256];
        for (size_t i = 0; i < 256; ++i) period[i] = static_cast<uint8_t>(first + i * step);
        std::vector<uint8_t> bytes(count * sizeof(T));
        for (size_t at = 0; at < bytes.size(); at += 256)
            std::memcpy(&bytes[at], period, std::min<size_t>(256, bytes.size() - at));
        return keep<T>(bytes.data(), bytes.size());
    }
    // A name byte: bit 0 leaves the zero byte out (where allowed), the rest
    // picks one of kNames or gives the length of the input's next bytes.
    const char* name(std::string& text, size_t zeroUnless) {
        const uint8_t choice = in.next();
        const int pick = choice >> 1;
        text = pick < 4 ? kNames[pick] : std::string();
        for (int i = 0; pick >= 4 && i < pick; ++i) text += static_cast<char>(in.next());
        if (null()) return nullptr;
        const bool zero = (choice & 1) == 0 || text.size() < zeroUnless;
        return keep<char>(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + (zero ? 1u : 0u));
    }
};

bool isFrame(E entry) {
    switch (entry) {
        case E::Render_RGB24: case E::Render_4_Shades: case E::Render_16_Shades: case E::Render_4_Shades_with_Raw:
        case E::Render_16_Shades_with_Raw: case E::Render_Lum_And_Raw: case E::Render_FloatLum_And_Raw:
            return true;
        default:
            return false;
    }
}

device::Platform withForward(test::FakePlatform& platform, device::DeviceLibraries& libraries) {
    device::Platform services = platform;
    services.deviceLibraries = &libraries;
    return services;
}

class Run {
public:
    explicit Run(unsigned exports) : libraries_(exports), driver_(withForward(platform_, libraries_)) {
        test::forwardRecord = {};
        platform_.addTrigger("g", 1, test::pictureFromArt({"####", "####", "####"}));
        platform_.addTrigger("g", 2, test::pictureFromArt({"....", "....", "...."}));
        for (size_t i = 0; i < kDmdEntryCount; ++i) exportsAny_ |= libraries_.exports(static_cast<E>(i));
    }

    void step(Reader& in) {
        const auto entry = static_cast<E>(in.next() % kDmdEntryCount);
        Call call(in);
        const auto before = test::forwardRecord.calls;
        const size_t sentBefore = platform_.player->calls.size();
        layout_.reset();
        const std::optional<E> expected = perform(entry, call);
        const std::string what = std::string(" for a host's ") + dmdEntryName(entry);
        for (size_t i = 0; i < kDmdEntryCount; ++i) {
            const int got = test::forwardRecord.calls[i] - before[i];
            const bool wanted = forwarding_ && expected && static_cast<size_t>(*expected) == i;
            require(got == (wanted ? 1 : 0),
                    std::string(kDmdEntryNames[i]) + " passed on " + std::to_string(got) + " times" + what);
        }
        if (forwarding_ && expected && layout_)
            require(test::forwardRecord.layout == *layout_, "layout changed" + what);
        const auto& sent = platform_.player->calls;
        for (size_t i = sentBefore; i < sent.size(); ++i) {
            if (sent[i].starts_with("B2SInit ")) continue;
            require(sent[i] == "B2SData D1 1" || sent[i] == "B2SData D2 1", sent[i] + what);
            require(isFrame(entry) && driver_.captureActive(), sent[i] + " while not matching" + what);
        }
    }

private:
    void open(Reader& in) {
        const uint8_t switches = in.next();
        const uint8_t reset = in.next();
        const std::string matchReset = reset < 200   ? std::to_string(static_cast<int8_t>(reset))
                                       : reset < 250 ? std::to_string(static_cast<int32_t>(in.word()))
                                                     : "99999999999";
        const std::string forward = kForwards[(switches >> 3) & 3];
        std::string text = "[SETTINGS]\nSHOWDMD=" + std::to_string(switches & 1) +
                           "\nRECORD=" + std::to_string((switches >> 1) & 1) +
                           "\nSHADEDHOST=" + std::to_string((switches >> 2) & 1) + "\nMATCHRESET=" + matchReset + "\n";
        if (!forward.empty()) text += "FORWARD=" + forward + "\n";
        platform_.writeSettings(text);
        forwarding_ = forwarding_ || (forward == "fake.so" && exportsAny_);
    }

    // What a forwarding driver gets for the host's call (device_forward.h).
    std::optional<E> forwardedAs(E entry, bool sixteen = false, bool raw = false) const {
        const auto exported = [this](E e) { return libraries_.exports(e) ? std::optional<E>(e) : std::nullopt; };
        if (libraries_.exports(entry)) return entry;
        switch (entry) {
            case E::Render_4_Shades_with_Raw: return exported(E::Render_4_Shades);
            case E::Render_16_Shades_with_Raw: return exported(E::Render_16_Shades);
            case E::Render_Lum_And_Raw:
            case E::Render_FloatLum_And_Raw:
                if (raw && exported(sixteen ? E::Render_16_Shades_with_Raw : E::Render_4_Shades_with_Raw))
                    return sixteen ? E::Render_16_Shades_with_Raw : E::Render_4_Shades_with_Raw;
                return exported(sixteen ? E::Render_16_Shades : E::Render_4_Shades);
            case E::Render_PM_Alphanumeric_Dim_Frame: return exported(E::Render_PM_Alphanumeric_Frame);
            default: return std::nullopt;
        }
    }

    // Makes the host's call; returns what a forwarding driver gets for it.
    std::optional<E> perform(E entry, Call& c) {
        Reader& in = c.in;
        std::string text;
        switch (entry) {
            case E::Open: open(in); driver_.Open(); break;
            case E::Close: driver_.Close(); break;
            case E::SetGameName: {
                const char* name = c.name(text, 0);
                driver_.SetGameName(name, static_cast<int>(text.size()) + 256 * static_cast<int8_t>(in.next()));
                break;
            }
            case E::PM_GameSettings: {
                const char* name = c.name(text, kMaxName);
                const uint8_t kind = in.next();
                uint64_t generation = kind < 5 ? kGenerations[kind] : in.word();
                if (kind >= 5) generation |= uint64_t{in.word()} << 32;
                driver_.PM_GameSettings(name, generation, c.buffer<tPMoptions>(1));
                if (name) game_ = device::GameKind::of(std::string(name, strnlen(name, kMaxName)).c_str(), generation);
                break;
            }
            case E::Render_RGB24: case E::Render_4_Shades: case E::Render_16_Shades: {
                const uint16_t w = in.side(), h = in.side();
                const size_t bytes = size_t{w} * h * (entry == E::Render_RGB24 ? 3 : 1);
                if (entry == E::Render_RGB24) driver_.Render_RGB24(w, h, c.buffer<rgb24>(bytes / 3));
                if (entry == E::Render_4_Shades) driver_.Render_4_Shades(w, h, c.buffer(bytes));
                if (entry == E::Render_16_Shades) driver_.Render_16_Shades(w, h, c.buffer(bytes));
                break;
            }
            case E::Set_4_Colors_Palette: {
                rgb24 colors[4];
                for (rgb24& colour : colors) colour = rgb24{in.next(), in.next(), in.next()};
                driver_.Set_4_Colors_Palette(colors[0], colors[1], colors[2], colors[3]);
                break;
            }
            case E::Set_16_Colors_Palette: driver_.Set_16_Colors_Palette(c.buffer<rgb24>(16)); break;
            case E::Render_PM_Alphanumeric_Frame: case E::Render_PM_Alphanumeric_Dim_Frame: {
                const auto layout = static_cast<layout_t>(in.word());
                layout_ = static_cast<int>(layout);
                const uint16_t* segments = c.buffer<uint16_t>(128);
                const uint16_t* segments2 = c.buffer<uint16_t>(128);
                if (entry == E::Render_PM_Alphanumeric_Frame)
                    driver_.Render_PM_Alphanumeric_Frame(layout, segments, segments2);
                else
                    driver_.Render_PM_Alphanumeric_Dim_Frame(layout, segments, c.buffer<char>(128), segments2);
                break;
            }
            case E::Console_Data: driver_.Console_Data(in.next()); break;
            case E::Console_Input_Ptr: driver_.Console_Input_Ptr(c.null() ? nullptr : &readNothing); break;
            case E::Render_4_Shades_with_Raw: case E::Render_16_Shades_with_Raw: case E::Render_Lum_And_Raw: {
                const uint16_t w = in.side(), h = in.side();
                const size_t dots = size_t{w} * h;
                const uint32_t rawCount = in.next() % 16;
                const uint8_t* lum = entry == E::Render_Lum_And_Raw ? c.buffer(dots) : nullptr;
                const uint8_t* frame = c.buffer(dots);
                const uint8_t* raw = c.buffer(rawCount * dots / 8);
                if (entry == E::Render_4_Shades_with_Raw) driver_.Render_4_Shades_with_Raw(w, h, frame, rawCount, raw);
                if (entry == E::Render_16_Shades_with_Raw)
                    driver_.Render_16_Shades_with_Raw(w, h, frame, rawCount, raw);
                if (entry == E::Render_Lum_And_Raw) driver_.Render_Lum_And_Raw(w, h, lum, frame, rawCount, raw);
                return forwardedAs(entry, game_.sixteenShades(), rawCount > 0);
            }
            case E::Render_FloatLum_And_Raw: {
                const uint16_t w = in.side(), h = in.side();
                const uint8_t identBits = in.next();
                const float* lum = c.buffer<float>(size_t{w} * h);
                driver_.Render_FloatLum_And_Raw(w, h, lum, c.buffer(size_t{w} * h), identBits);
                return forwardedAs(entry, device::sixteenShadesOfIdentBits(identBits));
            }
        }
        return forwardedAs(entry);
    }

    test::FakePlatform platform_;
    test::FakeForwardLibraries libraries_;
    device::DmdDriver driver_;
    bool exportsAny_ = false;
    bool forwarding_ = false;
    device::GameKind game_;
    std::optional<int> layout_;  // of an alphanumeric call
};

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    Reader in{data};
    unsigned exports = 0;
    for (int i = 0; i < 3; ++i) exports |= unsigned{in.next()} << (8 * i);
    Run run(exports);
    for (int n = 0; n < kMaxCalls && !in.done(); ++n) run.step(in);
}

}  // namespace zelk::driver_fuzz
