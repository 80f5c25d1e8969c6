// libFuzzer target: reflect arbitrary bytes and, when that succeeds, walk
// and write everything as the tool would. Built against the reader variant
// that skips the checksum, so mutated files reach the parser.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "support/reflection_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WalkReflection(data, size);
  return 0;
}
