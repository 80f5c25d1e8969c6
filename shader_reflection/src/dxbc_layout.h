// On-disk layout of the DXBC container and of its RDEF chunk, as the format
// describes it: each field is its offset in its record and its width, and
// each record's size is tied to its last field. All integers are
// little-endian. RDEF offsets are relative to the RDEF payload.
#ifndef SHADER_REFLECTION_DXBC_LAYOUT_H
#define SHADER_REFLECTION_DXBC_LAYOUT_H

#include <cstddef>
#include <cstdint>

namespace shader_reflection {
namespace layout {

// A field of a record: where it starts inside the record, and its width.
struct Field {
  std::size_t offset;
  std::size_t width;
};

constexpr std::size_t EndOf(Field field) { return field.offset + field.width; }

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

// Container header; the offsets of the chunks follow it, one u32 each.
namespace container {
constexpr Field kMagic{0, 4};
constexpr Field kChecksum{4, 16};
constexpr Field kVersion{20, 4};
constexpr Field kTotalSize{24, 4};
constexpr Field kChunkCount{28, 4};
constexpr std::size_t kHeaderSize = 32;
static_assert(EndOf(kChunkCount) == kHeaderSize, "the chunk offsets follow the header");
constexpr Field kChunkOffset{0, 4};  // in the table after the header
constexpr std::size_t kChunkOffsetSize = 4;
static_assert(EndOf(kChunkOffset) == kChunkOffsetSize, "one u32 per chunk");
constexpr std::uint32_t kMagicValue = MakeFourCC('D', 'X', 'B', 'C');
constexpr std::uint32_t kVersionValue = 1;
}  // namespace container

// Chunk header: FourCC, then the payload size (not counting these 8 bytes).
namespace chunk {
constexpr Field kTag{0, 4};
constexpr Field kPayloadSize{4, 4};
constexpr std::size_t kHeaderSize = 8;
static_assert(EndOf(kPayloadSize) == kHeaderSize, "the payload follows the header");
constexpr std::uint32_t kRDEF = MakeFourCC('R', 'D', 'E', 'F');
constexpr std::uint32_t kSHDR = MakeFourCC('S', 'H', 'D', 'R');
constexpr std::uint32_t kSHEX = MakeFourCC('S', 'H', 'E', 'X');
constexpr std::uint32_t kDXIL = MakeFourCC('D', 'X', 'I', 'L');
constexpr Field kProgramVersion{0, 4};  // first token of SHDR/SHEX
}  // namespace chunk

// RDEF header, then the RD11 block that targets 5.x add.
namespace rdef {
constexpr Field kBufferCount{0, 4};
constexpr Field kBufferArrayOffset{4, 4};
constexpr Field kBindingCount{8, 4};
constexpr Field kBindingArrayOffset{12, 4};
constexpr Field kMinorVersion{16, 1};
constexpr Field kMajorVersion{17, 1};
constexpr Field kProgramType{18, 2};
constexpr Field kCompileFlags{20, 4};
constexpr Field kCreatorOffset{24, 4};
constexpr std::size_t kHeaderSizeSM4 = 28;
static_assert(EndOf(kCreatorOffset) == kHeaderSizeSM4, "shader model 4 header");

constexpr Field kRd11Magic{28, 4};
constexpr Field kRd11HeaderSize{32, 4};
constexpr Field kRd11BufferRecordSize{36, 4};
constexpr Field kRd11BindingRecordSize{40, 4};
constexpr Field kRd11VariableRecordSize{44, 4};
constexpr Field kRd11TypeRecordSize{48, 4};
constexpr Field kRd11MemberRecordSize{52, 4};
constexpr Field kRd11InterfaceSlotCount{56, 4};
constexpr std::size_t kHeaderSizeSM5 = 60;
static_assert(EndOf(kRd11InterfaceSlotCount) == kHeaderSizeSM5, "shader model 5 header");
constexpr std::uint32_t kRd11MagicSM50 = 0x31314452;  // "RD11"
constexpr std::uint32_t kRd11MagicSM51 = 0x25441313;  // "RD11" reversed, 5.1 targets
}  // namespace rdef

// Constant buffer record.
namespace buffer {
constexpr Field kName{0, 4};
constexpr Field kVariableCount{4, 4};
constexpr Field kVariableArrayOffset{8, 4};
constexpr Field kSize{12, 4};
constexpr Field kFlags{16, 4};
constexpr Field kType{20, 4};
constexpr std::size_t kRecordSize = 24;
static_assert(EndOf(kType) == kRecordSize, "constant buffer record");
}  // namespace buffer

// Resource binding record.
namespace binding {
constexpr Field kName{0, 4};
constexpr Field kInputType{4, 4};
constexpr Field kReturnType{8, 4};
constexpr Field kDimension{12, 4};
constexpr Field kSampleCount{16, 4};
constexpr Field kBindPoint{20, 4};
constexpr Field kBindCount{24, 4};
constexpr Field kFlags{28, 4};
constexpr std::size_t kRecordSizeSM50 = 32;
static_assert(EndOf(kFlags) == kRecordSizeSM50, "binding record up to 5.0");
constexpr Field kSpace{32, 4};
constexpr Field kId{36, 4};
constexpr std::size_t kRecordSizeSM51 = 40;
static_assert(EndOf(kId) == kRecordSizeSM51, "binding record from 5.1 on");
}  // namespace binding

// Variable record.
namespace variable {
constexpr Field kName{0, 4};
constexpr Field kStartOffset{4, 4};
constexpr Field kSize{8, 4};
constexpr Field kFlags{12, 4};
constexpr Field kTypeOffset{16, 4};
constexpr Field kDefaultValueOffset{20, 4};
constexpr std::size_t kRecordSizeSM4 = 24;
static_assert(EndOf(kDefaultValueOffset) == kRecordSizeSM4, "shader model 4 variable");
constexpr Field kStartTexture{24, 4};
constexpr Field kTextureSize{28, 4};
constexpr Field kStartSampler{32, 4};
constexpr Field kSamplerSize{36, 4};
constexpr std::size_t kRecordSizeSM5 = 40;
static_assert(EndOf(kSamplerSize) == kRecordSizeSM5, "shader model 5 variable");
}  // namespace variable

// Type record.
namespace type {
constexpr Field kClass{0, 2};
constexpr Field kBaseType{2, 2};
constexpr Field kRows{4, 2};
constexpr Field kColumns{6, 2};
constexpr Field kElements{8, 2};
constexpr Field kMemberCount{10, 2};
constexpr Field kMemberArrayOffset{12, 4};
constexpr std::size_t kRecordSizeSM4 = 16;
static_assert(EndOf(kMemberArrayOffset) == kRecordSizeSM4, "shader model 4 type");
constexpr Field kReserved{16, 16};  // shader model 5: four u32, zero for ordinary types
constexpr Field kNameOffset{32, 4};
constexpr std::size_t kRecordSizeSM5 = 36;
static_assert(EndOf(kNameOffset) == kRecordSizeSM5, "shader model 5 type");
}  // namespace type

// Struct member record.
namespace member {
constexpr Field kName{0, 4};
constexpr Field kTypeOffset{4, 4};
constexpr Field kOffset{8, 4};
constexpr std::size_t kRecordSize = 12;
static_assert(EndOf(kOffset) == kRecordSize, "struct member record");
}  // namespace member

}  // namespace layout
}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_DXBC_LAYOUT_H
