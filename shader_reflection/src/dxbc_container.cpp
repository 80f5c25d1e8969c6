#include "dxbc_container.h"

#include "dxbc_checksum.h"
#include "dxbc_layout.h"
#include "failure_reason.h"

namespace shader_reflection {
namespace {

using layout::ReadU32;

std::string TagText(std::uint32_t tag) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<unsigned char>(tag >> (8 * i));
    text += (c >= 0x20 && c <= 0x7e) ? static_cast<char>(c) : '?';
  }
  return text;
}

bool CheckHeader(const unsigned char* data, std::size_t size, std::string* reason) {
  if (ReadU32(data + layout::kMagicOffset) != layout::kContainerMagic)
    return Fail(reason, "not a compiled shader: the file does not start with \"DXBC\"");
  const std::uint32_t version = ReadU32(data + layout::kVersionOffset);
  if (version != layout::kContainerVersion)
    return Fail(reason, "container version %u is not 1", version);
  const std::uint32_t total_size = ReadU32(data + layout::kTotalSizeOffset);
  if (total_size != size)
    return Fail(reason, "container size field says %u bytes but %zu bytes were given", total_size,
                size);
  return true;
}

bool ChecksumIsZero(const unsigned char* data) {
  for (std::size_t i = 0; i < layout::kChecksumSize; ++i)
    if (data[layout::kChecksumOffset + i] != 0) return false;
  return true;
}

// An all-zero checksum marks a container its writer did not sign, which is
// read; any other value must match, so a corrupt file is never reflected.
bool CheckChecksum(const unsigned char* data, std::size_t size, std::string* reason) {
  if (ChecksumIsZero(data)) return true;
  const DxbcChecksum computed = ComputeDxbcChecksum(data, size);
  for (std::size_t i = 0; i < computed.size(); ++i) {
    if (ReadU32(data + layout::kChecksumOffset + 4 * i) != computed[i])
      return Fail(reason, "container checksum does not match its contents (the file is corrupt)");
  }
  return true;
}

bool ChunkCountFits(std::uint32_t chunk_count, std::size_t size) {
  return chunk_count <= (size - layout::kChunkTableOffset) / layout::kChunkTableEntrySize;
}

bool ChunkHeaderFits(std::uint32_t offset, std::size_t size) {
  return offset <= size && layout::kChunkHeaderSize <= size - offset;
}

// Any chunk tagged DXIL whose header lies inside the container.
bool HasDxilChunk(const unsigned char* data, std::size_t size) {
  const std::uint32_t chunk_count = ReadU32(data + layout::kChunkCountOffset);
  if (!ChunkCountFits(chunk_count, size)) return false;
  for (std::uint32_t i = 0; i < chunk_count; ++i) {
    const std::uint32_t offset =
        ReadU32(data + layout::kChunkTableOffset + i * layout::kChunkTableEntrySize);
    if (ChunkHeaderFits(offset, size) && ReadU32(data + offset) == layout::kTagDXIL) return true;
  }
  return false;
}

void NoteChunk(std::uint32_t tag, const unsigned char* payload, std::size_t payload_size,
               ContainerChunks* chunks) {
  if (tag == layout::kTagRDEF && chunks->rdef == nullptr) {
    chunks->rdef = payload;
    chunks->rdef_size = payload_size;
  } else if ((tag == layout::kTagSHDR || tag == layout::kTagSHEX) && !chunks->has_program) {
    chunks->has_program = true;
    if (payload_size >= 4) chunks->program_version = ReadU32(payload);
  }
}

}  // namespace

bool ParseContainer(const unsigned char* data, std::size_t size, ContainerChunks* chunks,
                    std::string* reason) {
  *chunks = ContainerChunks{};
  if (size < layout::kContainerHeaderSize)
    return Fail(reason, "%zu bytes is too short for a compiled shader (at least 32)", size);
  if (!CheckHeader(data, size, reason)) return false;
  // Before the checksum: shader model 6 compilers sign their containers
  // differently or not at all, and "not supported" is the useful answer.
  if (HasDxilChunk(data, size))
    return Fail(reason, "DXIL (shader model 6) is not supported; compile for shader model 4 or 5");
  if (!CheckChecksum(data, size, reason)) return false;

  const std::uint32_t chunk_count = ReadU32(data + layout::kChunkCountOffset);
  if (!ChunkCountFits(chunk_count, size))
    return Fail(reason, "chunk count %u does not fit in the %zu-byte container", chunk_count, size);
  const std::size_t first_chunk_start =
      layout::kChunkTableOffset + chunk_count * layout::kChunkTableEntrySize;

  for (std::uint32_t i = 0; i < chunk_count; ++i) {
    const std::uint32_t offset =
        ReadU32(data + layout::kChunkTableOffset + i * layout::kChunkTableEntrySize);
    if (offset < first_chunk_start)
      return Fail(reason, "chunk %u: offset 0x%x lies inside the container header", i, offset);
    if (!ChunkHeaderFits(offset, size))
      return Fail(reason, "chunk %u: offset 0x%x leaves no room for a chunk header", i, offset);
    const std::uint32_t tag = ReadU32(data + offset);
    const std::uint32_t payload_size = ReadU32(data + offset + 4);
    if (payload_size > size - offset - layout::kChunkHeaderSize)
      return Fail(reason,
                  "chunk %u (%s) at offset 0x%x: its %u-byte payload runs past the end "
                  "of the container",
                  i, TagText(tag).c_str(), offset, payload_size);
    NoteChunk(tag, data + offset + layout::kChunkHeaderSize, payload_size, chunks);
  }

  if (chunks->rdef == nullptr && !chunks->has_program)
    return Fail(reason,
                "the container holds neither resource definitions (RDEF) nor a shader "
                "program (SHDR/SHEX): it is not a shader (an effect or a root signature?)");
  return true;
}

}  // namespace shader_reflection
