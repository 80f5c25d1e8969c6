// The RDEF parser: checks every count, offset and string of the chunk and
// turns it into a ParsedRdef.
#ifndef SHADER_REFLECTION_RDEF_PARSER_H
#define SHADER_REFLECTION_RDEF_PARSER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "parsed_rdef.h"

namespace shader_reflection {

// What a crafted file may make the parser build, and so how much work it
// may cause. Real compilers stay far below: a buffer holds at most 4,096
// registers, so at most 16,384 scalars; a stage binds at most a few hundred
// resources; names are identifiers of a few dozen characters.
struct RdefLimits {
  std::uint32_t max_buffers = 65536;
  std::uint32_t max_bindings = 65536;
  std::uint32_t max_name_length = 1024;  // bytes, without the NUL
  std::uint32_t max_variables_per_buffer = 16384;
  std::uint32_t max_variables = 262144;
  std::uint32_t max_types = 65536;
  std::uint32_t max_members = 262144;
  std::uint32_t max_struct_depth = 64;
};

// rdef must stay alive and unchanged while *parsed is used: names point
// into it.
[[nodiscard]] bool ParseRdef(const unsigned char* rdef, std::size_t size, ParsedRdef* parsed,
                             std::string* reason, const RdefLimits& limits = RdefLimits{});

// The fields of a variable that ParseRdef accepted.
VariableFields ReadVariableFields(const ParsedRdef& parsed, const ParsedVariable& variable);

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_RDEF_PARSER_H
