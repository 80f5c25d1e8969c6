#include "dxbc_checksum.h"

#include <cstring>

namespace shader_reflection {
namespace {

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// The digest covers the container from its version field on.
constexpr std::size_t kDigestStart = 20;

std::uint32_t ReadLittleEndian32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four rounds as separate loops with fixed trip counts, so the compiler
// unrolls them and every index and rotation becomes a constant.
template <typename Mix>
void Round(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
           const std::uint32_t* m, int first, int step, int start, Mix mix) {
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 16
#endif
  for (int j = 0; j < 16; ++j) {
    const int i = first + j;
    const std::uint32_t f = mix(b, c, d);
    const std::uint32_t next_b =
        b + RotateLeft(a + f + kSine[i] + m[(start + step * j) % 16], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = next_b;
  }
}

void TransformBlock(DxbcChecksum& state, const unsigned char* block) {
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = ReadLittleEndian32(block + 4 * i);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  Round(a, b, c, d, m, 0, 1, 0,
        [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); });
  Round(a, b, c, d, m, 16, 5, 1,
        [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (z & x) | (~z & y); });
  Round(a, b, c, d, m, 32, 3, 5,
        [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; });
  Round(a, b, c, d, m, 48, 7, 0,
        [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); });
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void StoreU32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace

DxbcChecksum ComputeDxbcChecksum(const unsigned char* container, std::size_t size) {
  const unsigned char* input = container + kDigestStart;
  const std::size_t length = size - kDigestStart;
  const auto bit_count = static_cast<std::uint32_t>(length * 8);
  const auto tail_word = static_cast<std::uint32_t>(length * 2) | 1u;

  DxbcChecksum state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  const std::size_t full_blocks = length / 64;
  for (std::size_t i = 0; i < full_blocks; ++i) TransformBlock(state, input + 64 * i);

  const unsigned char* rest = input + 64 * full_blocks;
  const std::size_t rest_size = length % 64;
  unsigned char block[64] = {};
  if (rest_size <= 55) {
    StoreU32(block, bit_count);
    std::memcpy(block + 4, rest, rest_size);
    block[4 + rest_size] = 0x80;
    StoreU32(block + 60, tail_word);
    TransformBlock(state, block);
  } else {
    std::memcpy(block, rest, rest_size);
    block[rest_size] = 0x80;
    TransformBlock(state, block);
    std::memset(block, 0, sizeof block);
    StoreU32(block, bit_count);
    StoreU32(block + 60, tail_word);
    TransformBlock(state, block);
  }
  return state;
}

}  // namespace shader_reflection
