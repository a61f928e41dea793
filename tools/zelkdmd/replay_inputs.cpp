#include "tools/zelkdmd/replay_inputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/bmp_reader.h"
#include "core/dmd_recording.h"
#include "core/error.h"
#include "platform/open_file.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

// A DMD frame is a few kilobytes; anything this large is not a DMD picture,
// and refusing it keeps a stray argument from filling the memory.
constexpr uintmax_t kMaxBmpFileBytes = 256u << 20;

using File = platform::CFile;

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw InputError("frame file '" + path + "': " + why);
}

File openForReading(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(pathOf(path), ec);
    if (ec || !fs::exists(status)) fail(path, "cannot be found");
    // The size of a recording must be known up front, so pipes and devices are out.
    if (!fs::is_regular_file(status)) fail(path, "is not a regular file");
    File file = platform::openFile(path, "rb");
    if (!file) fail(path, std::string("cannot be opened: ") + std::strerror(errno));
    return file;
}

// A recording read through the C library, one frame at a time.
class FileSource : public recording::Source {
public:
    FileSource(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    size_t read(uint8_t* into, size_t count) override {
        const size_t got = std::fread(into, 1, count, file_);
        if (got < count && std::ferror(file_)) fail(path_, "read error");
        return got;
    }

private:
    std::FILE* file_;
    std::string path_;
};

// Runs the reader over the whole recording, handing each frame to sink until
// it returns false (counting only, when sink is null); gives the frames.
uint64_t readRecording(const std::string& path, std::FILE* file, FrameInput& input, const FrameSink* sink) {
    FileSource source(file, path);
    try {
        recording::Reader reader(source, path);
        input.size = {reader.width(), reader.height()};
        input.matchStart = reader.matchStart();
        uint64_t frames = 0;
        while (const uint8_t* rgb = reader.next()) {
            ++frames;
            if (sink == nullptr) {
                // A run is counted whole: a few bytes may repeat a frame billions of times.
                frames += reader.repeatsLeft();
                reader.skipRepeats();
            } else if (!(*sink)(reader.width(), reader.height(), rgb)) {
                break;
            }
        }
        input.cut = reader.cut();
        return frames;
    } catch (const Error& e) {
        throw InputError(e.what());
    }
}

FrameInput inspectRecording(const std::string& path, std::FILE* file) {
    FrameInput input;
    input.path = path;
    input.isRecording = true;
    input.frameCount = readRecording(path, file, input, nullptr);
    if (input.cut) {
        std::fprintf(stderr, "zelkdmd: warning: recording '%s' was cut short (the program writing it ended?); "
                             "its %llu complete frames are used\n",
                     path.c_str(), static_cast<unsigned long long>(input.frameCount));
    }
    return input;
}

void readExactly(std::FILE* file, uint8_t* into, size_t count, const std::string& path) {
    if (count > 0 && std::fread(into, 1, count, file) != count) {
        fail(path, std::ferror(file) ? "read error" : "ended early (was it changed while reading?)");
    }
}

FrameInput inspectBmp(const std::string& path, std::FILE* file, uintmax_t fileBytes) {
    if (fileBytes > kMaxBmpFileBytes) fail(path, "is a BMP picture larger than 256 MiB");
    std::vector<uint8_t> bytes(static_cast<size_t>(fileBytes));
    readExactly(file, bytes.data(), bytes.size(), path);

    Bitmap24 picture;
    try {
        picture = readBmp(bytes, path);
    } catch (const Error& e) {
        throw InputError(e.what());
    }
    if (picture.width < 1 || picture.height < 1) fail(path, "is an empty picture");

    FrameInput input;
    input.path = path;
    input.isBmp = true;
    // readBmp refuses sides above 16384, so both fit the interface's 16 bits.
    input.size = {static_cast<uint16_t>(picture.width), static_cast<uint16_t>(picture.height)};
    input.frameCount = 1;
    // The bitmap stores blue, green, red; a frame is red, green, blue.
    input.rgb.resize(picture.pixels.size());
    for (size_t at = 0; at + 2 < picture.pixels.size(); at += 3) {
        input.rgb[at] = picture.pixels[at + 2];
        input.rgb[at + 1] = picture.pixels[at + 1];
        input.rgb[at + 2] = picture.pixels[at];
    }
    return input;
}

}  // namespace

FrameInput inspectFrameFile(const std::string& path, FrameSize rawSize) {
    File file = openForReading(path);
    std::error_code ec;
    const uintmax_t fileBytes = fs::file_size(pathOf(path), ec);
    if (ec) fail(path, "its size cannot be read: " + ec.message());

    uint8_t magic[4] = {0, 0, 0, 0};
    if (fileBytes >= 2) readExactly(file.get(), magic, fileBytes >= 4 ? 4 : 2, path);
    std::rewind(file.get());
    if (magic[0] == 'B' && magic[1] == 'M') return inspectBmp(path, file.get(), fileBytes);
    if (recording::hasMagic(magic)) return inspectRecording(path, file.get());

    if (fileBytes % rawSize.bytes() != 0) {
        fail(path, "holds " + std::to_string(fileBytes) + " bytes, not a whole number of " +
                       std::to_string(rawSize.width) + "x" + std::to_string(rawSize.height) +
                       " RGB24 frames of " + std::to_string(rawSize.bytes()) +
                       " bytes (is --size right?)");
    }
    FrameInput input;
    input.path = path;
    input.size = rawSize;
    input.frameCount = fileBytes / rawSize.bytes();
    return input;
}

void forEachFrame(const FrameInput& input, const FrameSink& sink) {
    if (input.isBmp) {
        sink(input.size.width, input.size.height, input.rgb.data());
        return;
    }
    if (input.frameCount == 0) return;
    File file = openForReading(input.path);
    if (input.isRecording) {
        // No further than inspected: a recording still growing keeps its count.
        uint64_t left = input.frameCount;
        FrameInput again;
        const FrameSink counted = [&](uint16_t width, uint16_t height, const uint8_t* rgb) {
            return sink(width, height, rgb) && --left > 0;
        };
        readRecording(input.path, file.get(), again, &counted);
        return;
    }
    // One frame in memory at a time: recordings may be long.
    std::vector<uint8_t> frame(input.size.bytes());
    for (uint64_t n = 0; n < input.frameCount; ++n) {
        readExactly(file.get(), frame.data(), frame.size(), input.path);
        if (!sink(input.size.width, input.size.height, frame.data())) return;
    }
}

}  // namespace zelk::tools
