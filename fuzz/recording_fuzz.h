#pragma once
// Fuzz target of the recording reader (core/dmd_recording.h): run by
// libFuzzer (fuzz/CMakeLists.txt) and, as a plain regression test over its
// corpus, by core_tests.
#include <cstdint>
#include <span>

namespace zelk::recording_fuzz {

// Reads data as a recording to its end. Refusals (zelk::Error) are expected
// and swallowed; anything else escapes: another exception, or
// std::logic_error when what was read breaks the reader's promises (the
// frames, encoded again and read back, must come out the same).
void fuzz(std::span<const uint8_t> data);

}  // namespace zelk::recording_fuzz
