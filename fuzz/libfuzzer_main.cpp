// libFuzzer entry point shared by every fuzz target: fuzz/CMakeLists.txt
// compiles it once per target with the target's header and namespace.
#include <cstddef>
#include <cstdint>
#include <span>

#include ZELK_FUZZ_HEADER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZELK_FUZZ_NAMESPACE::fuzz(std::span<const uint8_t>(data, size));
    return 0;
}
