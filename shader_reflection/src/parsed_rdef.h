// The verified contents of an RDEF chunk as plain records. Every name points
// into the RDEF bytes the parser was given and is NUL-terminated there; every
// index is in range. Queries read these records and nothing else.
#ifndef SHADER_REFLECTION_PARSED_RDEF_H
#define SHADER_REFLECTION_PARSED_RDEF_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shader_reflection {

struct ParsedMember {
  const char* name;
  std::uint32_t type;    // index into ParsedRdef::types
  std::uint32_t offset;  // byte offset inside the parent struct
};

struct ParsedType {
  std::uint16_t variable_class;
  std::uint16_t base_type;
  std::uint16_t rows;
  std::uint16_t columns;
  std::uint16_t elements;
  std::uint16_t member_count;
  std::uint32_t first_member;  // index into ParsedRdef::members
  const char* name;            // null where the record has none (SM4)
};

// A variable is kept as its verified record, 12 bytes instead of the 56 of
// its decoded fields: a buffer may hold 16,384 of them, and on small
// machines every page touched costs. ReadVariableFields decodes it.
struct ParsedVariable {
  std::uint32_t record;  // offset in the RDEF chunk; every offset and string in it was checked
  std::uint32_t type;    // index into ParsedRdef::types
  std::uint32_t buffer;  // index into ParsedRdef::buffers
};

struct VariableFields {
  const char* name;
  std::uint32_t start_offset;
  std::uint32_t size;
  std::uint32_t flags;
  const unsigned char* default_value;  // null when none; else `size` bytes
  std::uint32_t start_texture;
  std::uint32_t texture_size;
  std::uint32_t start_sampler;
  std::uint32_t sampler_size;
};

struct ParsedBuffer {
  const char* name;
  std::uint32_t type;
  std::uint32_t variable_count;
  std::uint32_t first_variable;  // index into ParsedRdef::variables
  std::uint32_t size;
  std::uint32_t flags;
};

struct ParsedRdef {
  const unsigned char* bytes = nullptr;  // the RDEF payload all offsets are relative to
  std::size_t size = 0;
  bool sm5_variables = false;  // 40-byte variable records
  std::uint8_t major_version = 0;
  std::uint8_t minor_version = 0;
  std::uint16_t program_type = 0;
  std::uint32_t compile_flags = 0;
  const char* creator = nullptr;
  std::uint32_t binding_count = 0;
  std::vector<ParsedBuffer> buffers;
  std::vector<ParsedVariable> variables;
  std::vector<ParsedType> types;
  std::vector<ParsedMember> members;
};

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_PARSED_RDEF_H
