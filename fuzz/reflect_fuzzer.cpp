// libFuzzer target: reflect arbitrary bytes and, when that succeeds, walk
// and write everything as the tool would. The checksum is resealed first:
// the reader refuses any file whose checksum does not match, and mutated
// bytes would otherwise never reach the parsers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dxbc_builder.h"
#include "reflection_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> input(data, data + size);
  if (input.size() >= 32) dxbc_builder::SealChecksum(input);
  WalkReflection(input.data(), input.size());
  return 0;
}
