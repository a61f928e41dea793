#pragma once
// Bounds-checked little-endian reads from an untrusted byte buffer. A read
// that does not fit returns 0 instead of touching memory past the end, so a
// decoder can read a header field first and validate it afterwards; callers
// that must tell "0" from "missing" ask has() first.
#include <cstddef>
#include <cstdint>
#include <span>

namespace zelk {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    size_t size() const { return data_.size(); }

    // Whether count bytes starting at offset lie inside the buffer; safe
    // against offset + count overflowing.
    bool has(uint64_t offset, uint64_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }

    uint8_t u8(uint64_t offset) const { return has(offset, 1) ? at(offset) : 0; }

    uint16_t u16(uint64_t offset) const {
        if (!has(offset, 2)) return 0;
        return static_cast<uint16_t>(at(offset) | (at(offset + 1) << 8));
    }

    uint32_t u32(uint64_t offset) const {
        if (!has(offset, 4)) return 0;
        return static_cast<uint32_t>(at(offset)) | (static_cast<uint32_t>(at(offset + 1)) << 8) |
               (static_cast<uint32_t>(at(offset + 2)) << 16) |
               (static_cast<uint32_t>(at(offset + 3)) << 24);
    }

    int32_t i32(uint64_t offset) const { return static_cast<int32_t>(u32(offset)); }

    // The bytes [offset, offset + count), or an empty span when they do not fit.
    std::span<const uint8_t> bytes(uint64_t offset, uint64_t count) const {
        if (!has(offset, count)) return {};
        return data_.subspan(static_cast<size_t>(offset), static_cast<size_t>(count));
    }

private:
    // Only called after has() said yes, so the offset fits in size_t.
    uint8_t at(uint64_t offset) const { return data_[static_cast<size_t>(offset)]; }

    std::span<const uint8_t> data_;
};

}  // namespace zelk
