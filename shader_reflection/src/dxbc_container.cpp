#include "dxbc_container.h"

#include "byte_view.h"
#include "dxbc_checksum.h"
#include "dxbc_layout.h"
#include "failure_reason.h"

namespace shader_reflection {
namespace {

namespace container = layout::container;
namespace chunk = layout::chunk;

std::string TagText(std::uint32_t tag) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<unsigned char>(tag >> (8 * i));
    text += (c >= 0x20 && c <= 0x7e) ? static_cast<char>(c) : '?';
  }
  return text;
}

[[nodiscard]] bool CheckHeader(const ByteView& bytes, std::string* reason) {
  if (bytes.U32(0, container::kMagic) != container::kMagicValue)
    return Fail(reason, "not a compiled shader: the file does not start with \"DXBC\"");
  const std::uint32_t version = bytes.U32(0, container::kVersion);
  if (version != container::kVersionValue)
    return Fail(reason, "container version %u is not 1", version);
  const std::uint32_t total_size = bytes.U32(0, container::kTotalSize);
  if (total_size != bytes.size())
    return Fail(reason, "container size field says %u bytes but %zu bytes were given", total_size,
                bytes.size());
  return true;
}

bool ChecksumIsZero(const ByteView& bytes) {
  const unsigned char* checksum = bytes.At(container::kChecksum.offset, container::kChecksum.width);
  for (std::size_t i = 0; i < container::kChecksum.width; ++i)
    if (checksum[i] != 0) return false;
  return true;
}

// An all-zero checksum marks a container its writer did not sign, which is
// read; any other value must match, so a corrupt file is never reflected.
[[nodiscard]] bool CheckChecksum(const ByteView& bytes, std::string* reason) {
  if (ChecksumIsZero(bytes)) return true;
  const DxbcChecksum computed = ComputeDxbcChecksum(bytes.data(), bytes.size());
  for (std::size_t i = 0; i < computed.size(); ++i) {
    const layout::Field word{container::kChecksum.offset + 4 * i, 4};
    if (bytes.U32(0, word) != computed[i])
      return Fail(reason, "container checksum does not match its contents (the file is corrupt)");
  }
  return true;
}

bool ChunkCountFits(const ByteView& bytes, std::uint32_t chunk_count) {
  return bytes.FitsArray(container::kHeaderSize, chunk_count, container::kChunkOffsetSize);
}

std::uint32_t ChunkOffset(const ByteView& bytes, std::uint32_t index) {
  return bytes.U32(container::kHeaderSize + std::size_t{index} * container::kChunkOffsetSize,
                   container::kChunkOffset);
}

// Any chunk tagged DXIL whose header lies inside the container.
bool HasDxilChunk(const ByteView& bytes) {
  const std::uint32_t chunk_count = bytes.U32(0, container::kChunkCount);
  if (!ChunkCountFits(bytes, chunk_count)) return false;
  for (std::uint32_t i = 0; i < chunk_count; ++i) {
    const std::uint32_t offset = ChunkOffset(bytes, i);
    if (bytes.Fits(offset, chunk::kHeaderSize) && bytes.U32(offset, chunk::kTag) == chunk::kDXIL)
      return true;
  }
  return false;
}

void NoteChunk(std::uint32_t tag, const ByteView& payload, ContainerChunks* chunks) {
  if (tag == chunk::kRDEF && chunks->rdef == nullptr) {
    chunks->rdef = payload.data();
    chunks->rdef_size = payload.size();
  } else if ((tag == chunk::kSHDR || tag == chunk::kSHEX) && !chunks->has_program) {
    chunks->has_program = true;
    if (payload.Fits(0, chunk::kProgramVersion.width))
      chunks->program_version = payload.U32(0, chunk::kProgramVersion);
  }
}

}  // namespace

bool ParseContainer(const unsigned char* data, std::size_t size, ContainerChunks* chunks,
                    std::string* reason) {
  *chunks = ContainerChunks{};
  if (size < container::kHeaderSize)
    return Fail(reason, "%zu bytes is too short for a compiled shader (at least 32)", size);
  const ByteView bytes(data, size);
  if (!CheckHeader(bytes, reason)) return false;
  // Before the checksum: shader model 6 compilers sign their containers
  // differently or not at all, and "not supported" is the useful answer.
  if (HasDxilChunk(bytes))
    return Fail(reason, "DXIL (shader model 6) is not supported; compile for shader model 4 or 5");
  if (!CheckChecksum(bytes, reason)) return false;

  const std::uint32_t chunk_count = bytes.U32(0, container::kChunkCount);
  if (!ChunkCountFits(bytes, chunk_count))
    return Fail(reason, "chunk count %u does not fit in the %zu-byte container", chunk_count, size);
  const std::size_t first_chunk_start =
      container::kHeaderSize + std::size_t{chunk_count} * container::kChunkOffsetSize;

  for (std::uint32_t i = 0; i < chunk_count; ++i) {
    const std::uint32_t offset = ChunkOffset(bytes, i);
    if (offset < first_chunk_start)
      return Fail(reason, "chunk %u: offset 0x%x lies inside the container header", i, offset);
    if (!bytes.Fits(offset, chunk::kHeaderSize))
      return Fail(reason, "chunk %u: offset 0x%x leaves no room for a chunk header", i, offset);
    const std::uint32_t tag = bytes.U32(offset, chunk::kTag);
    const std::uint32_t payload_size = bytes.U32(offset, chunk::kPayloadSize);
    if (!bytes.Fits(offset + chunk::kHeaderSize, payload_size))
      return Fail(reason,
                  "chunk %u (%s) at offset 0x%x: its %u-byte payload runs past the end "
                  "of the container",
                  i, TagText(tag).c_str(), offset, payload_size);
    NoteChunk(tag, bytes.Sub(offset + chunk::kHeaderSize, payload_size), chunks);
  }

  if (chunks->rdef == nullptr && !chunks->has_program)
    return Fail(reason,
                "the container holds neither resource definitions (RDEF) nor a shader "
                "program (SHDR/SHEX): it is not a shader (an effect or a root signature?)");
  return true;
}

}  // namespace shader_reflection
