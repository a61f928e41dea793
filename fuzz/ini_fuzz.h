#pragma once
// Fuzz target of the settings reader (core/ini_file.h): run by libFuzzer
// (fuzz/CMakeLists.txt) and, as a plain regression test over its corpus, by
// core_tests.
#include <cstdint>
#include <span>

namespace zelk::ini_fuzz {

// Reads data as a settings file: looks up the plug-in's two settings and a
// section and key named by the data's first line ("section=key"), and reads
// that line and every value found as an integer. Nothing is refused; a broken
// promise of the reader escapes as std::logic_error.
void fuzz(std::span<const uint8_t> data);

}  // namespace zelk::ini_fuzz
