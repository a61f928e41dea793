#pragma once
// Fuzz target of the plug-in's entry points: the input is a program of
// host calls on a DmdDriver over the test platform (tests/device), with a
// settings file rewritten before every Open, a trigger pack for the game
// "g" (1: all lit, 2: all dark, 4x3 each), recordings, and a FORWARD
// library that counts what it gets (tests/device/fake_forward.h). Run by
// libFuzzer (fuzz/CMakeLists.txt) and, over its corpus, by core_tests.
//
// Input: three bytes, the forward library's exports (bit n: DmdEntry n),
// then calls to the end: an entry byte (DmdEntry, modulo the count), a byte
// whose bit n makes the call's n-th buffer null, and the entry's arguments.
// Every byte past the end reads as 0. A side is one byte: below 64 it is
// 0-5, else 0-300. A buffer is two bytes, its first value and the step to
// the next, and is exactly as long as the call says. See driver_fuzz.cpp
// for each entry's arguments.
//
// Beyond the sanitizers, what must always hold: a trigger sent is one the
// pack has, from a frame, while matching is on; a forwarding driver gets
// each host call once, as the call itself when the library exports it and
// else as device_forward.h translates it; alphanumeric layouts reach it
// unchanged. A broken promise throws std::logic_error.
#include <cstdint>
#include <span>

namespace zelk::driver_fuzz {

void fuzz(std::span<const uint8_t> data);

}  // namespace zelk::driver_fuzz
