#pragma once
// The area average's hot loop, in one plain and several vector forms chosen
// at run time (core/area_average.cpp). Each adds `rows` consecutive source
// rows, summed and then multiplied by their common weight, into the 32-bit
// column sums:
//     sums[j] += weight * (first[j] + first[stride + j] + ... ), j < count.
// The rows are summed in 16 bits, so rows <= kMaxRowsPerPass; weight <= 256.
// The vector forms do a leading part of the columns and return how many;
// the caller finishes the rest with the plain loop.
#include <cstddef>
#include <cstdint>

namespace zelk::rows {

constexpr size_t kMaxRowsPerPass = 257;  // 257 * 255 = 65535

inline void addRowsPlain(const uint8_t* first, size_t stride, size_t rows, uint32_t weight, uint32_t* sums,
                         size_t count) {
    for (size_t j = 0; j < count; ++j) {
        uint32_t sum = 0;
        for (size_t k = 0; k < rows; ++k) sum += first[k * stride + j];
        sums[j] += sum * weight;
    }
}

// core/area_average_x86.cpp; on other processors these do nothing and the
// availability checks say no.
bool sse2Available();
size_t addRowsSse2(const uint8_t* first, size_t stride, size_t rows, uint32_t weight, uint32_t* sums,
                   size_t count);
bool avx2Available();
size_t addRowsAvx2(const uint8_t* first, size_t stride, size_t rows, uint32_t weight, uint32_t* sums,
                   size_t count);
bool avx512Available();
size_t addRowsAvx512(const uint8_t* first, size_t stride, size_t rows, uint32_t weight, uint32_t* sums,
                     size_t count);

}  // namespace zelk::rows
