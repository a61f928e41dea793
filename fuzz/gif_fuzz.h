#pragma once
// Fuzz target of the GIF decoder and compositor: run by libFuzzer
// (fuzz/CMakeLists.txt) and, as a plain regression test over its corpus, by
// core_tests.
#include <cstdint>
#include <span>

namespace zelk::gif_fuzz {

// Decodes data as a GIF and composes every frame for a few passes. Refusals
// (zelk::Error) are expected and swallowed; anything else escapes: another
// exception, or std::logic_error when a decoded image or the compositor
// breaks a promise.
void fuzz(std::span<const uint8_t> data);

}  // namespace zelk::gif_fuzz
