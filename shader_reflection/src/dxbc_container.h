// The container parser: checks the header, the checksum and the chunk table,
// and finds the chunks the reflection needs.
#ifndef SHADER_REFLECTION_DXBC_CONTAINER_H
#define SHADER_REFLECTION_DXBC_CONTAINER_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace shader_reflection {

struct ContainerChunks {
  // The first RDEF chunk's payload; null when there is none.
  const unsigned char* rdef = nullptr;
  std::size_t rdef_size = 0;
  bool has_program = false;           // an SHDR or SHEX chunk
  std::uint32_t program_version = 0;  // the program's first token
};

// Every chunk header and payload lies inside [data, data + size) when this
// returns true. On false, *reason says what is wrong and where.
[[nodiscard]] bool ParseContainer(const unsigned char* data, std::size_t size,
                                  ContainerChunks* chunks, std::string* reason);

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_DXBC_CONTAINER_H
