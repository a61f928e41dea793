// The PE layout: the DOS header's e_lfanew leads to "PE\0\0", the file header
// (machine, section count, optional header size, flags), the optional header
// (PE32 or PE32+, whose data directories differ in offset) and the section
// table, through which the export directory's addresses become file offsets.
#include "core/pe_image.h"

#include <algorithm>

#include "core/byte_reader.h"
#include "core/error.h"

namespace zelk {
namespace {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFlagDll = 0x2000;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kClrDirectory = 14;
constexpr uint32_t kSectionHeaderSize = 40;

[[noreturn]] void refuse(const std::string& name, const std::string& reason) {
    throw Error("EPeImage", name + ": " + reason);
}

class Image {
public:
    Image(std::span<const uint8_t> data, const std::string& name) : in_(data), name_(name) {}

    void readHeaders(PeImage& image) {
        if (in_.u16(0) != 0x5A4D) refuse(name_, "not a Windows program or library (no MZ header)");
        const uint32_t pe = in_.u32(0x3C);
        if (!in_.has(pe, 24) || in_.u32(pe) != 0x00004550) refuse(name_, "no PE header");
        const uint16_t machine = in_.u16(pe + 4);
        image.machine = machine == kMachineI386 ? PeMachine::x86 : machine == kMachineAmd64 ? PeMachine::x64
                                                                                           : PeMachine::other;
        sectionCount_ = in_.u16(pe + 6);
        image.library = (in_.u16(pe + 22) & kFlagDll) != 0;
        optional_ = uint64_t{pe} + 24;
        sections_ = optional_ + in_.u16(pe + 20);
        const uint16_t magic = in_.u16(optional_);
        if (magic != kMagicPe32 && magic != kMagicPe32Plus) refuse(name_, "unknown optional header");
        const uint64_t count = in_.u32(optional_ + (magic == kMagicPe32 ? 92 : 108));
        directories_ = optional_ + (magic == kMagicPe32 ? 96 : 112);
        directoryCount_ = static_cast<uint32_t>(std::min<uint64_t>(count, 16));
        if (!in_.has(sections_, uint64_t{sectionCount_} * kSectionHeaderSize)) refuse(name_, "section table cut off");
        image.managed = directoryRva(kClrDirectory) != 0;
    }

    void readExports(PeImage& image, const PeLimits& limits) {
        const uint32_t rva = directoryRva(kExportDirectory);
        if (rva == 0) return;
        const uint64_t directory = offsetOf(rva, 40);
        const uint32_t count = in_.u32(directory + 24);
        if (count > limits.maxExports) refuse(name_, "more exported names than any DMD device has");
        const uint64_t names = offsetOf(in_.u32(directory + 32), uint64_t{count} * 4);
        image.exports.reserve(count);
        for (uint32_t i = 0; i < count; ++i) image.exports.push_back(nameAt(in_.u32(names + 4ull * i), limits));
    }

private:
    uint32_t directoryRva(uint32_t index) const {
        return index < directoryCount_ ? in_.u32(directories_ + 8ull * index) : 0;
    }

    // The file offset of count bytes at a relative virtual address, which
    // must lie within one section's stored bytes.
    uint64_t offsetOf(uint32_t rva, uint64_t count) const {
        for (uint32_t i = 0; i < sectionCount_; ++i) {
            const uint64_t header = sections_ + uint64_t{i} * kSectionHeaderSize;
            const uint32_t start = in_.u32(header + 12);
            const uint32_t stored = in_.u32(header + 16);
            if (rva < start || rva - start >= stored) continue;
            if (count > stored - (rva - start)) break;
            const uint64_t offset = uint64_t{in_.u32(header + 20)} + (rva - start);
            if (!in_.has(offset, count)) break;
            return offset;
        }
        refuse(name_, "export table outside the file");
    }

    std::string nameAt(uint32_t rva, const PeLimits& limits) const {
        const uint64_t at = offsetOf(rva, 1);
        std::string name;
        for (uint64_t i = at; in_.u8(i) != 0; ++i) {
            if (!in_.has(i, 1)) refuse(name_, "exported name cut off");
            if (name.size() == limits.maxNameLength) refuse(name_, "exported name too long");
            name += static_cast<char>(in_.u8(i));
        }
        if (!in_.has(at + name.size(), 1)) refuse(name_, "exported name cut off");
        return name;
    }

    ByteReader in_;
    const std::string& name_;
    uint64_t optional_ = 0;
    uint64_t sections_ = 0;
    uint64_t directories_ = 0;
    uint32_t directoryCount_ = 0;
    uint32_t sectionCount_ = 0;
};

}  // namespace

PeImage readPeImage(std::span<const uint8_t> data, const std::string& name, const PeLimits& limits) {
    PeImage image;
    Image reader(data, name);
    reader.readHeaders(image);
    reader.readExports(image, limits);
    return image;
}

}  // namespace zelk
