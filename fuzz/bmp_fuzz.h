#pragma once
// Fuzz target of the BMP reader: run by libFuzzer (fuzz/CMakeLists.txt) and,
// as a plain regression test over its corpus, by core_tests.
#include <cstdint>
#include <span>

namespace zelk::bmp_fuzz {

// Reads data as a BMP. Refusals (zelk::Error) are expected and swallowed;
// anything else escapes: another exception, or std::logic_error when a
// picture that loaded breaks the reader's promises.
void fuzz(std::span<const uint8_t> data);

}  // namespace zelk::bmp_fuzz
