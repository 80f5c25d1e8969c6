// The container checksum: MD5 over bytes 20..end with the container's own
// final padding (bit count first, (2 * length) | 1 last).
#ifndef SHADER_REFLECTION_DXBC_CHECKSUM_H
#define SHADER_REFLECTION_DXBC_CHECKSUM_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace shader_reflection {

using DxbcChecksum = std::array<std::uint32_t, 4>;

// Digest of the container bytes [20, size). size must be at least 20.
DxbcChecksum ComputeDxbcChecksum(const unsigned char* container, std::size_t size);

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_DXBC_CHECKSUM_H
