// On-disk layout of the DXBC container and of its RDEF chunk: byte offsets
// and record sizes only. All integers are little-endian.
#ifndef SHADER_REFLECTION_DXBC_LAYOUT_H
#define SHADER_REFLECTION_DXBC_LAYOUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace shader_reflection {
namespace layout {

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

// Container header.
constexpr std::uint32_t kContainerMagic = MakeFourCC('D', 'X', 'B', 'C');
constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kChecksumOffset = 4;
constexpr std::size_t kChecksumSize = 16;
constexpr std::size_t kVersionOffset = 20;
constexpr std::size_t kTotalSizeOffset = 24;
constexpr std::size_t kChunkCountOffset = 28;
constexpr std::size_t kChunkTableOffset = 32;
constexpr std::size_t kContainerHeaderSize = 32;
constexpr std::size_t kChunkTableEntrySize = 4;
constexpr std::uint32_t kContainerVersion = 1;

// Chunk header: FourCC, then payload size (excluding these 8 bytes).
constexpr std::size_t kChunkHeaderSize = 8;

constexpr std::uint32_t kTagRDEF = MakeFourCC('R', 'D', 'E', 'F');
constexpr std::uint32_t kTagSHDR = MakeFourCC('S', 'H', 'D', 'R');
constexpr std::uint32_t kTagSHEX = MakeFourCC('S', 'H', 'E', 'X');
constexpr std::uint32_t kTagDXIL = MakeFourCC('D', 'X', 'I', 'L');

// RDEF header (offsets relative to the RDEF payload, as are all RDEF offsets).
constexpr std::size_t kRdefBufferCount = 0;
constexpr std::size_t kRdefBufferArray = 4;
constexpr std::size_t kRdefBindingCount = 8;
constexpr std::size_t kRdefBindingArray = 12;
constexpr std::size_t kRdefMinorVersion = 16;
constexpr std::size_t kRdefMajorVersion = 17;
constexpr std::size_t kRdefProgramType = 18;
constexpr std::size_t kRdefCompileFlags = 20;
constexpr std::size_t kRdefCreator = 24;
constexpr std::size_t kRdefHeaderSizeSM4 = 28;

// RD11 block, present from target 5.0 on.
constexpr std::size_t kRd11Magic = 28;
constexpr std::size_t kRd11HeaderSize = 32;
constexpr std::size_t kRd11BufferRecordSize = 36;
constexpr std::size_t kRd11BindingRecordSize = 40;
constexpr std::size_t kRd11VariableRecordSize = 44;
constexpr std::size_t kRd11TypeRecordSize = 48;
constexpr std::size_t kRd11MemberRecordSize = 52;
constexpr std::size_t kRdefHeaderSizeSM5 = 60;
constexpr std::uint32_t kRd11MagicSM50 = 0x31314452;  // "RD11"
constexpr std::uint32_t kRd11MagicSM51 = 0x25441313;  // "RD11" reversed, 5.1 targets

// Constant buffer record.
constexpr std::size_t kBufferName = 0;
constexpr std::size_t kBufferVariableCount = 4;
constexpr std::size_t kBufferVariableArray = 8;
constexpr std::size_t kBufferSize = 12;
constexpr std::size_t kBufferFlags = 16;
constexpr std::size_t kBufferType = 20;
constexpr std::size_t kBufferRecordSize = 24;

// Binding record.
constexpr std::size_t kBindingName = 0;
constexpr std::size_t kBindingRecordSizeSM50 = 32;
constexpr std::size_t kBindingRecordSizeSM51 = 40;

// Variable record.
constexpr std::size_t kVariableName = 0;
constexpr std::size_t kVariableStartOffset = 4;
constexpr std::size_t kVariableSize = 8;
constexpr std::size_t kVariableFlags = 12;
constexpr std::size_t kVariableType = 16;
constexpr std::size_t kVariableDefaultValue = 20;
constexpr std::size_t kVariableStartTexture = 24;
constexpr std::size_t kVariableTextureSize = 28;
constexpr std::size_t kVariableStartSampler = 32;
constexpr std::size_t kVariableSamplerSize = 36;
constexpr std::size_t kVariableRecordSizeSM4 = 24;
constexpr std::size_t kVariableRecordSizeSM5 = 40;

// Type record.
constexpr std::size_t kTypeClass = 0;
constexpr std::size_t kTypeType = 2;
constexpr std::size_t kTypeRows = 4;
constexpr std::size_t kTypeColumns = 6;
constexpr std::size_t kTypeElements = 8;
constexpr std::size_t kTypeMembers = 10;
constexpr std::size_t kTypeMemberArray = 12;
constexpr std::size_t kTypeName = 32;  // SM5 only
constexpr std::size_t kTypeRecordSizeSM4 = 16;
constexpr std::size_t kTypeRecordSizeSM5 = 36;

// Struct member record.
constexpr std::size_t kMemberName = 0;
constexpr std::size_t kMemberType = 4;
constexpr std::size_t kMemberOffset = 8;
constexpr std::size_t kMemberRecordSize = 12;

// Readers for little-endian integers at any alignment. Callers have checked
// that the bytes are there.
inline std::uint32_t ReadU32(const unsigned char* p) {
  unsigned char b[4];
  std::memcpy(b, p, 4);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline std::uint16_t ReadU16(const unsigned char* p) {
  unsigned char b[2];
  std::memcpy(b, p, 2);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

}  // namespace layout
}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_DXBC_LAYOUT_H
